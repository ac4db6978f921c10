# Instrumented builds, each in its own build folder.
#   MIRUKASU_SANITIZE=ON  AddressSanitizer and UndefinedBehaviorSanitizer over
#                         everything (scripts/test-asan, build-asan/).
#   MIRUKASU_FUZZ=ON      clang with the fuzzer's coverage and both sanitizers
#                         (scripts/fuzz, build-fuzz/); only the fuzz targets
#                         and what they link are meant to be built there.
option(MIRUKASU_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(MIRUKASU_FUZZ "Build the libFuzzer targets (clang)" OFF)

if(MIRUKASU_SANITIZE)
  set(MIRUKASU_SANITIZER_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer
                               -fno-sanitize-recover=undefined)
  add_compile_options(${MIRUKASU_SANITIZER_FLAGS})
  add_link_options(${MIRUKASU_SANITIZER_FLAGS})
endif()

if(MIRUKASU_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "MIRUKASU_FUZZ needs clang++ (-DCMAKE_CXX_COMPILER=clang++)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
