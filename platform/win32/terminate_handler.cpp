// Stands in for the C++ runtime's verbose terminate handler, which would link its symbol demangler
// (tens of KiB) into the .exe only to print a message that a windowed program has nowhere to show.
// WinMain catches every exception, so nothing should ever get here.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
