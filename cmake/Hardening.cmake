# The hardening Debian gives its packages (dpkg-buildflags with hardening=+all):
# position-independent executables, stack protector, fortified libc calls,
# stack-clash probes, control-flow protection where the target has it, and
# read-only relocations bound at start-up. None of them touches floating point.
#
# Sanitizer and fuzzing builds go without: they are instrumented test builds,
# and fortified libc calls bypass AddressSanitizer's own checks.
option(RIPPLEMOOR_HARDEN "Build with Debian's hardening flags" ON)

# glibc checks buffer sizes only when optimising, and warns without -O: a
# target that builds at -O0 on purpose drops the fortification.
function(ripplemoor_unfortify target)
  target_compile_options(${target} PRIVATE -U_FORTIFY_SOURCE)
endfunction()

if(NOT RIPPLEMOOR_HARDEN OR RIPPLEMOOR_SANITIZE OR RIPPLEMOOR_FUZZ)
  return()
endif()

include(CheckCXXCompilerFlag)
include(CheckPIESupported)

check_pie_supported(OUTPUT_VARIABLE rm_pie_message LANGUAGES CXX)
if(NOT CMAKE_CXX_LINK_PIE_SUPPORTED)
  message(FATAL_ERROR "The linker cannot make position-independent executables: ${rm_pie_message}")
endif()
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

add_compile_options(-fstack-protector-strong)
# Probes and branch-target markers exist per target: x86 has -fcf-protection,
# aarch64 and s390x do not (the cross builds).
foreach(flag -fstack-clash-protection -fcf-protection)
  string(MAKE_C_IDENTIFIER "RIPPLEMOOR_HAS${flag}" rm_var)
  check_cxx_compiler_flag(${flag} ${rm_var})
  if(${rm_var})
    add_compile_options(${flag})
  endif()
endforeach()
add_compile_definitions($<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
add_link_options(LINKER:-z,relro LINKER:-z,now)
