# The VS Code extension (editors/vscode): `cmake --build . --target vsix`
# packs one .vsix for each platform whose program is at hand, beside the other
# packages: Linux x64 from this build, Windows x64 from the cross-build's .exe.
# Its npm packages come from scripts/install-deps.sh (npm ci).
set(SC_VSCODE_DIR ${PROJECT_SOURCE_DIR}/editors/vscode)
add_custom_target(vsix
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${SC_VSCODE_DIR} -DEDITORS_DIR=${SC_EDITORS_DIR}
          -DVERSION=${PROJECT_VERSION} -DOUTPUT_DIR=${CPACK_PACKAGE_DIRECTORY}
          -DSTAGE_DIR=${PROJECT_BINARY_DIR}/vscode -DSTRIP=${CMAKE_STRIP}
          -DLINUX_EXE=$<TARGET_FILE:scenario-compiler> -DWINDOWS_EXE=${SC_WINDOWS_EXE}
          -P ${PROJECT_SOURCE_DIR}/cmake/vscode_package.cmake
  COMMENT "Packing the VS Code extension"
  VERBATIM)
add_dependencies(vsix scenario-compiler editor-files)
