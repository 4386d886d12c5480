# What `cmake --install` puts where, the manual page, and the packages that
# `make package` builds (CPack: a Debian package; a Windows zip beside it).
include(GNUInstallDirs)

set(SC_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/scenario-compiler)
# Where bash-completion looks for a command's completion, under the prefix.
set(SC_BASH_COMPLETION_DIR ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# The manual page, generated from its one source, docs/scenario-compiler.1.md.
find_package(Python3 COMPONENTS Interpreter)
set(SC_MAN_SOURCE ${PROJECT_SOURCE_DIR}/docs/scenario-compiler.1.md)
set(SC_MAN_PAGE ${PROJECT_BINARY_DIR}/man/scenario-compiler.1)
if(Python3_Interpreter_FOUND)
  # Installed compressed, as man pages are; gzip -n keeps the bytes the same
  # from build to build.
  add_custom_command(
    OUTPUT ${SC_MAN_PAGE} ${SC_MAN_PAGE}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
    COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/cmake/markdown_to_man.py ${SC_MAN_SOURCE}
            ${SC_MAN_PAGE} ${PROJECT_VERSION}
    COMMAND gzip -9nkf ${SC_MAN_PAGE}
    DEPENDS ${SC_MAN_SOURCE} ${PROJECT_SOURCE_DIR}/cmake/markdown_to_man.py
    COMMENT "Writing the manual page scenario-compiler.1"
    VERBATIM)
  add_custom_target(man-page ALL DEPENDS ${SC_MAN_PAGE} ${SC_MAN_PAGE}.gz)
  install(FILES ${SC_MAN_PAGE}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(STATUS "No Python 3: the manual page is not built or installed")
endif()

install(TARGETS scenario-compiler RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/completion/scenario-compiler.bash
        DESTINATION ${SC_BASH_COMPLETION_DIR} RENAME scenario-compiler)
# Vim's and Neovim's syntax and file-type files, where each looks by itself:
# Vim in /usr/share/vim/vimfiles, Neovim in <prefix>/share/nvim/site.
install(DIRECTORY ${SC_EDITORS_DIR}/vim/ DESTINATION ${CMAKE_INSTALL_DATADIR}/vim/vimfiles)
install(DIRECTORY ${SC_EDITORS_DIR}/vim/ DESTINATION ${CMAKE_INSTALL_DATADIR}/nvim/site)
# The docs keep their layout, so that README.md's links to docs/ still work.
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${SC_DOC_DIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs DESTINATION ${SC_DOC_DIR}
        PATTERN "scenario-compiler.1.md" EXCLUDE)

# The Debian package: scenario-compiler_<version>_amd64.deb, its dependencies
# computed from the libraries the program links (dpkg-shlibdeps).
set(CPACK_PACKAGE_NAME scenario-compiler)
set(CPACK_PACKAGE_VENDOR "scenario-compiler developers")
set(CPACK_PACKAGE_CONTACT "scenario-compiler developers <scenario-compiler@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Compiles a railway line and a train service into a train-driving simulator's scenario files")
set(CPACK_PACKAGE_DESCRIPTION
    "scenario-compiler turns the text description of a railway line and of a train service into "
    "the binary scenario files a train-driving simulator loads, and writes the driver's paper "
    "documents beside them. It checks, explains, dumps, decompiles and plots them too.")
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window module inside the program loads these only when a display is set;
# without them the run goes on without a window.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "libx11-6, libxft2, libfontconfig1, libxinerama1, libxcursor1, libxrender1, libxfixes3, libxext6")
set(CPACK_STRIP_FILES ON)
include(CPack)

# The Windows zip, from the cross-build's executable where it has been built.
set(SC_WINDOWS_EXE ${PROJECT_SOURCE_DIR}/build/windows/bin/scenario-compiler.exe
    CACHE FILEPATH "The Windows build's executable, for the zip")
add_custom_target(windows-zip
  COMMAND ${CMAKE_COMMAND} -DEXE=${SC_WINDOWS_EXE} -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
          -DVERSION=${PROJECT_VERSION} -DOUTPUT_DIR=${CPACK_PACKAGE_DIRECTORY}
          -DNOTEPAD_FILE=${SC_EDITORS_DIR}/notepad++/scenario-compiler.xml
          -P ${PROJECT_SOURCE_DIR}/cmake/windows_zip.cmake
  COMMENT "Packing the Windows zip"
  VERBATIM)
add_dependencies(windows-zip editor-files)
