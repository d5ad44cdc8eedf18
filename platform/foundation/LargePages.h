#pragma once
// Large pages for the process's big allocations. Every working picture (the driver's textures,
// the decoded photo, the read-back) is a fresh mapping of many megabytes; with small pages,
// the first touch of each 4 KiB faults on its own, which costs more than the decode of the
// photo. Where the kernel gives large pages only to memory that asks for them (transparent
// huge pages in "madvise" mode), the C library asks for them when its tunable says so, and
// tunables are read only when a process starts: the program's launcher sets the tunable in the
// environment before it starts the program itself.
#include <optional>
#include <string>

namespace LargePages {

// The kernel's mode for transparent huge pages from the text of
// /sys/kernel/mm/transparent_hugepage/enabled ("always [madvise] never" → "madvise"); empty
// when the text names none.
std::string KernelMode(const std::string& enabledText);

// The C library's tunables with large pages asked for, or nothing when the given value
// already says something about them (set by the person, or by an earlier start of ours).
std::optional<std::string> TunablesAskingForThem(const char* current);

// Sets the tunable in this process's environment, for the program started next, when the
// kernel gives large pages only on request and the environment does not already decide.
void AskForThemInEnvironment();

}  // namespace LargePages
