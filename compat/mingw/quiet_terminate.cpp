// libstdc++'s default terminate handler names the type of the exception that ended the program,
// and to do so links the C++ demangler into it. A windowed program has nowhere to print that
// name, so this one only aborts, as that handler does after printing. Defining it here keeps the
// library's own handler, and the demangler, out of the link.
#include <cstdlib>
#include <exception>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
