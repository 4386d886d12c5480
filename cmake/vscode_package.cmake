# cmake -DSOURCE_DIR=editors/vscode -DEDITORS_DIR=... -DVERSION=... -DOUTPUT_DIR=...
#       -DSTAGE_DIR=... -DSTRIP=... -DLINUX_EXE=... -DWINDOWS_EXE=... -P vscode_package.cmake
# Packs scenario-compiler-VERSION-linux-x64.vsix and, where the Windows
# executable has been built, scenario-compiler-VERSION-win32-x64.vsix: the
# manifest, the generated grammars, the extension's code bundled with the
# language client into one file, and the program for that platform.
set(bin ${SOURCE_DIR}/node_modules/.bin)
if(NOT EXISTS ${bin}/vsce OR NOT EXISTS ${bin}/esbuild)
  message(FATAL_ERROR "${SOURCE_DIR}/node_modules lacks vsce or esbuild: run "
                      "`bash scripts/install-deps.sh vscode`, which installs them with npm ci")
endif()

function(run what)
  execute_process(COMMAND ${ARGN} INPUT_FILE /dev/null TIMEOUT 300 RESULT_VARIABLE failed
                  ${run_in})
  if(failed)
    message(FATAL_ERROR "${what} failed: ${failed}")
  endif()
endfunction()

# The .vsix holds no node_modules: the client is bundled in.
run("Bundling the extension" ${bin}/esbuild ${SOURCE_DIR}/src/extension.js --bundle
    --platform=node --format=cjs --target=node18 --external:vscode --minify --log-level=warning
    --outfile=${STAGE_DIR}/extension.js)

function(pack target exe)
  set(stage ${STAGE_DIR}/${target})
  file(REMOVE_RECURSE ${stage})
  file(MAKE_DIRECTORY ${stage}/bin ${stage}/dist)
  file(COPY ${SOURCE_DIR}/README.md ${SOURCE_DIR}/language-configuration.json DESTINATION ${stage})
  file(COPY ${EDITORS_DIR}/vscode/syntaxes DESTINATION ${stage})
  file(COPY ${STAGE_DIR}/extension.js DESTINATION ${stage}/dist)
  file(COPY ${exe} DESTINATION ${stage}/bin)
  get_filename_component(name ${exe} NAME)
  if(STRIP AND target MATCHES "^linux")
    run("Stripping ${name}" ${STRIP} ${stage}/bin/${name})
  endif()
  # The manifest of the source tree, with the project's version and without
  # what only building needs.
  file(READ ${SOURCE_DIR}/package.json manifest)
  string(JSON manifest SET "${manifest}" version "\"${VERSION}\"")
  string(JSON manifest REMOVE "${manifest}" devDependencies)
  string(JSON manifest REMOVE "${manifest}" scripts)
  file(WRITE ${stage}/package.json "${manifest}\n")
  set(vsix ${OUTPUT_DIR}/scenario-compiler-${VERSION}-${target}.vsix)
  file(REMOVE ${vsix})
  set(run_in WORKING_DIRECTORY ${stage})
  run("Packing ${vsix}" ${bin}/vsce package --target ${target} --no-dependencies --skip-license
      --allow-missing-repository --out ${vsix})
endfunction()

file(MAKE_DIRECTORY ${OUTPUT_DIR})
pack(linux-x64 ${LINUX_EXE})
if(EXISTS "${WINDOWS_EXE}")
  pack(win32-x64 ${WINDOWS_EXE})
else()
  file(REMOVE ${OUTPUT_DIR}/scenario-compiler-${VERSION}-win32-x64.vsix)
  message(STATUS "No Windows build at ${WINDOWS_EXE}: the Windows .vsix is skipped")
endif()
