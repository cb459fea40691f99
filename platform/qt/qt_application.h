#pragma once
// The QApplication that a loaded library shows its windows through: the host's when it has one, otherwise
// one of its own, made on first need and kept until the process exits.

namespace tarvenish {

// True when windows can be shown on the calling thread: the process's QApplication lives on it, or there is
// none yet and a display can be reached (one is then made). False without a display, on another thread, or
// when the process runs a QCoreApplication without widgets. Never throws.
[[nodiscard]] bool windowsOnThisThread() noexcept;

// True once windowsOnThisThread has answered true: Qt then holds objects of the library's code and the
// library must stay loaded.
[[nodiscard]] bool qtStarted() noexcept;

}  // namespace tarvenish
