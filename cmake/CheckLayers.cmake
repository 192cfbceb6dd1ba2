# cmake -DROOT=<source tree> -DSTAMP=<file> -P CheckLayers.cmake
#
# Which headers of the tree each folder may include, lowest layer first:
#   core      app/ net/ patch/ (files directly there): portable headers of the core;
#             app/ none of net/ or patch/, net/ none of patch/
#   framework framework/: framework/ only
#   platform  app/win/ net/win/ patch/win/: the core, the framework and win/ headers;
#             net/win/ none of patch/
#   ui        ui/: everything above
#   entry     app/exe/ and app/win/UpdateApp.cpp, which create the main dialog
#   tools, tests/host: the core and their own folder; tests/win, tests/bench: all
# Every violation is listed; the check fails when there is one, and writes STAMP
# when there is none.
set(core "(app|net|patch)/[A-Za-z0-9_]+\\.h")
set(platform "(app|net|patch)/(win/)?[A-Za-z0-9_]+\\.h|framework/")
set(rules
  "^framework/;^framework/"
  "^app/exe/;."
  "^app/win/UpdateApp\\.cpp$;."
  "^app/win/;^(${platform})"
  "^net/win/;^(${platform})"
  "^patch/win/;^(${platform})"
  "^app/[^/]+$;^app/[A-Za-z0-9_]+\\.h$"
  "^net/[^/]+$;^(app|net)/[A-Za-z0-9_]+\\.h$"
  "^patch/[^/]+$;^${core}$"
  "^ui/;^(${platform}|ui/)"
  "^tools/;^(${core}$|tools/)"
  "^tests/host/;^(${core}$|tests/host/)"
  "^tests/;.")
list(LENGTH rules ruleCount)
math(EXPR lastRule "${ruleCount} - 2")

file(GLOB_RECURSE files RELATIVE ${ROOT}
  ${ROOT}/app/*.h ${ROOT}/app/*.cpp ${ROOT}/net/*.h ${ROOT}/net/*.cpp
  ${ROOT}/patch/*.h ${ROOT}/patch/*.cpp ${ROOT}/ui/*.h ${ROOT}/ui/*.cpp
  ${ROOT}/framework/*.h ${ROOT}/framework/*.cpp ${ROOT}/tools/*.h ${ROOT}/tools/*.cpp
  ${ROOT}/tests/*.h ${ROOT}/tests/*.cpp)

set(failures 0)
foreach(file ${files})
  # The rules are pairs (files, headers they may include); the first match counts.
  set(allowed "")
  foreach(i RANGE 0 ${lastRule} 2)
    list(GET rules ${i} where)
    if(file MATCHES "${where}")
      math(EXPR next "${i} + 1")
      list(GET rules ${next} allowed)
      break()
    endif()
  endforeach()
  if(allowed STREQUAL "")
    continue()
  endif()
  file(STRINGS ${ROOT}/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*$" "\\1" header "${line}")
    # Headers of the tree are named from its root; others (e.g. resource.h of a
    # tool) are not layered.
    if(NOT header MATCHES "^(app|net|patch|ui|framework|tools|tests)/")
      continue()
    endif()
    set(bad FALSE)
    if(NOT header MATCHES "${allowed}")
      set(bad TRUE)
    elseif(file MATCHES "^net/win/" AND header MATCHES "^patch/")
      # The engine takes the driver's replies; the driver never calls the engine.
      set(bad TRUE)
    endif()
    if(bad)
      message("${file}: includes \"${header}\", which its layer may not see")
      math(EXPR failures "${failures} + 1")
    endif()
  endforeach()
endforeach()

if(failures GREATER 0)
  message(FATAL_ERROR "${failures} include(s) against the layers (see cmake/CheckLayers.cmake)")
endif()
file(WRITE ${STAMP} "ok\n")
