// What happens where the C++ library would throw. The programs catch no
// exception, so any throw could only end in std::terminate. Here each one
// ends the program at once as a crash does, through the top-level exception
// filter that removes the driver service. Defining the whole set that
// libstdc++ keeps in functexcept.o keeps that object, the exception classes
// and string copies it drags in, and the name demangler of the verbose
// terminate handler out of the image: about 100 KB of the PE32 program.
#include <string>

namespace {
[[noreturn]] void crash() { __builtin_trap(); }
}  // namespace

namespace std {
void __throw_bad_exception() { crash(); }
void __throw_bad_alloc() { crash(); }
void __throw_bad_array_new_length() { crash(); }
void __throw_bad_cast() { crash(); }
void __throw_bad_typeid() { crash(); }
void __throw_logic_error(const char*) { crash(); }
void __throw_domain_error(const char*) { crash(); }
void __throw_invalid_argument(const char*) { crash(); }
void __throw_length_error(const char*) { crash(); }
void __throw_out_of_range(const char*) { crash(); }
void __throw_out_of_range_fmt(const char*, ...) { crash(); }
void __throw_runtime_error(const char*) { crash(); }
void __throw_range_error(const char*) { crash(); }
void __throw_overflow_error(const char*) { crash(); }
void __throw_underflow_error(const char*) { crash(); }
}  // namespace std

namespace __gnu_cxx {
void __verbose_terminate_handler() { crash(); }
}  // namespace __gnu_cxx
