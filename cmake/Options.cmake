# One set of compile options shared by every target of the project.
add_library(vivrelo_options INTERFACE)
target_compile_features(vivrelo_options INTERFACE cxx_std_20)
target_compile_options(vivrelo_options INTERFACE -Wall -Wextra -Wpedantic -Wno-missing-field-initializers)
if(VIVRELO_WERROR)
  target_compile_options(vivrelo_options INTERFACE -Werror)
endif()
target_compile_definitions(vivrelo_options INTERFACE
  QT_NO_CAST_TO_ASCII
  QT_NO_URL_CAST_FROM_STRING
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
  QT_NO_FOREACH
  QT_NO_KEYWORDS
  VIVRELO_VERSION="${PROJECT_VERSION}")

# AddressSanitizer and UndefinedBehaviorSanitizer over every target (the "asan" preset): any
# fault found stops the program that met it, so a test meeting one fails.
option(VIVRELO_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(VIVRELO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# Fuzz targets (clang only): the code they reach is instrumented for libFuzzer and checked by
# both sanitizers.
if(VIVRELO_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "VIVRELO_FUZZ needs clang (CC=clang CXX=clang++)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
