# GoogleTest from Debian's source tree, compiled with the cross compiler.
set(ZR_GTEST_SRC /usr/src/googletest/googletest)
if(NOT EXISTS "${ZR_GTEST_SRC}/src/gtest-all.cc")
  message(FATAL_ERROR "GoogleTest source not found: install the googletest package")
endif()
add_library(zr_gtest STATIC ${ZR_GTEST_SRC}/src/gtest-all.cc ${ZR_GTEST_SRC}/src/gtest_main.cc)
target_include_directories(zr_gtest SYSTEM PUBLIC ${ZR_GTEST_SRC}/include PRIVATE ${ZR_GTEST_SRC})
target_compile_options(zr_gtest PRIVATE -w)
add_library(GTest::gtest_main ALIAS zr_gtest)
