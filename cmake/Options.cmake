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
