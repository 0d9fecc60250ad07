#pragma once
// The subcommands of vistello-pack. Each gets the arguments from its own name on
// (argv[0] is "make", "info", ...) and returns the tool's exit status.

// Exit statuses of the tool and of every subcommand.
inline constexpr int exitSuccess = 0;
inline constexpr int exitBadInput = 1;  // a file that cannot be read, used or written
inline constexpr int exitUsage = 2;     // arguments the command does not understand

int runMake(int argc, char** argv);
int runInfo(int argc, char** argv);
int runExtract(int argc, char** argv);
int runDecode(int argc, char** argv);
