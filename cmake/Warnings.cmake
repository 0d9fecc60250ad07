# The warning set every target of ours is built with.
function(vistello_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wconversion -Wsign-compare -Wshadow)
endfunction()
