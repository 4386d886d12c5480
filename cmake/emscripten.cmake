# What the WebAssembly build (Debian's emscripten) takes from the build
# machine: nlohmann-json's headers, through a folder of their own so that no
# other host header is seen. The build machine's CMake packages are not looked
# for: the toolchain confines find_package to emscripten's own sysroot.
set(SC_HOST_HEADERS ${PROJECT_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${SC_HOST_HEADERS})
file(CREATE_LINK /usr/include/nlohmann ${SC_HOST_HEADERS}/nlohmann SYMBOLIC)
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
set_target_properties(nlohmann_json::nlohmann_json PROPERTIES INTERFACE_INCLUDE_DIRECTORIES
                                                              ${SC_HOST_HEADERS})
# C++ exceptions as WebAssembly's own instructions: smaller and faster than
# emulating them through JavaScript.
add_compile_options(-fwasm-exceptions)
add_link_options(-fwasm-exceptions)
