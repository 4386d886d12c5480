# What the Windows cross-build takes from the build machine: the header-only
# libraries (through a folder of their own, so that no host header but theirs
# is seen) and GoogleTest built from its source.
set(SC_HOST_HEADERS ${PROJECT_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${SC_HOST_HEADERS})
foreach(dir CLI nlohmann)
  file(CREATE_LINK /usr/include/${dir} ${SC_HOST_HEADERS}/${dir} SYMBOLIC)
endforeach()
add_library(CLI11::CLI11 INTERFACE IMPORTED)
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
foreach(target CLI11::CLI11 nlohmann_json::nlohmann_json)
  set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${SC_HOST_HEADERS})
endforeach()

# windows.h without its min and max macros, which break std::min and std::max.
add_compile_definitions(NOMINMAX WIN32_LEAN_AND_MEAN)

if(SC_BUILD_TESTS)
  set(SC_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's source tree")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  add_subdirectory(${SC_GOOGLETEST_SOURCE} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # GoogleTest's own sources (which name GTest::gtest_main and GTest::gmock)
  # do not build under -Werror with this compiler.
  foreach(target gtest gtest_main gmock gmock_main)
    target_compile_options(${target} PRIVATE -w)
  endforeach()
endif()
