# One INTERFACE target carries the language level, warnings-as-errors and hardening.
add_library(quillet_baseline INTERFACE)
target_compile_features(quillet_baseline INTERFACE cxx_std_20)
target_compile_options(quillet_baseline INTERFACE -Wall -Wextra -Wpedantic -Werror)
if(QUILLET_TEST_BUILD)
  target_compile_definitions(quillet_baseline INTERFACE _GLIBCXX_ASSERTIONS)
endif()
target_include_directories(quillet_baseline INTERFACE ${PROJECT_SOURCE_DIR}/src)

# Adds one GoogleTest executable as one CTest entry, with the environment every test needs.
function(quillet_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE quillet_baseline ${T_LIBS} GTest::gmock GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTWEBENGINE_DISABLE_SANDBOX=1;QUILLET_SOURCE_DIR=${PROJECT_SOURCE_DIR};QUILLET_FAKE_MARKETPLACE=$<TARGET_FILE:fake-marketplace>;LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/cmake/lsan.supp;TSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/cmake/tsan.supp"
    TIMEOUT 600)
  if(T_LABELS)
    # "worker": the test runs jobs or workers and is run under ThreadSanitizer too.
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()
