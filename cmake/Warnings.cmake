# The warning set every target of ours is built with.
function(vistello_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wconversion -Wsign-compare -Wshadow)
endfunction()

# In the Windows build every narrow literal of the program's own code becomes code page 932
# bytes: the program hands its Japanese texts unchanged to the ANSI functions of a Japanese
# system. (Not for GoogleTest and the tests: <chrono> holds a literal that code page 932
# cannot represent, so the tests compare Japanese texts as wide strings.)
function(vistello_cp932_texts target)
  if(WIN32)
    target_compile_options(${target} PRIVATE -finput-charset=UTF-8 -fexec-charset=CP932)
  endif()
endfunction()
