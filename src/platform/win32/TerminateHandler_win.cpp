// The runtime's default handler for an exception nobody catches prints its demangled type to a
// console this program does not have, and brings in the whole C++ demangler for that. The
// mingw link redirects it here (--wrap): end the process as that handler does after printing.
#include <cstdlib>

#if defined(__MINGW32__)
extern "C" [[noreturn]] void __wrap__ZN9__gnu_cxx27__verbose_terminate_handlerEv() { std::abort(); }
#endif
