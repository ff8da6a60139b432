# Precompiled Qt headers. Most of a compile here is reading Qt's headers, so three of
# them are compiled once per build (Core; Core and Gui; Core, Gui and Widgets, see
# tools/pch/) and every target reuses the richest one its Qt modules allow.
#
# GCC takes a precompiled header only where every macro defined when it was made is
# defined alike: so each header is made by a small target that has no more than its
# Qt modules' macros (QT_CORE_LIB, QT_GUI_LIB, QT_WIDGETS_LIB), and a target gets it
# only when it uses those modules itself. Any mismatch would show as a warning
# (-Winvalid-pch) and a slower compile, never as a different result.
option(PW_PRECOMPILED_HEADERS "Compile the common Qt headers once" ON)

# The Qt modules a target compiles against: 3 with Widgets, 2 with Gui, 1 with Core
# alone, following its links and theirs (link-only dependencies bring no headers).
function(_pw_qt_level target out)
  set(level 0)
  set(pending ${target})
  set(seen "")
  list(LENGTH pending count)
  while(count GREATER 0)
    list(POP_FRONT pending t)
    list(LENGTH pending count)
    if(t IN_LIST seen OR NOT TARGET ${t})
      continue()
    endif()
    list(APPEND seen ${t})
    if(t STREQUAL "Qt6::Widgets")
      set(level 3)
    elseif(t STREQUAL "Qt6::Gui" AND level LESS 2)
      set(level 2)
    elseif(t STREQUAL "Qt6::Core" AND level LESS 1)
      set(level 1)
    endif()
    get_target_property(links ${t} INTERFACE_LINK_LIBRARIES)
    if(t STREQUAL target)
      get_target_property(links ${t} LINK_LIBRARIES)
    endif()
    foreach(l ${links})
      if(TARGET ${l})
        list(APPEND pending ${l})
        list(LENGTH pending count)
      endif()
    endforeach()
  endwhile()
  set(${out} ${level} PARENT_SCOPE)
endfunction()

function(_pw_targets_below dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub ${subdirs})
    _pw_targets_below(${sub} more)
    list(APPEND targets ${more})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

# Called once every target is defined.
function(pw_precompile_headers)
  if(NOT PW_PRECOMPILED_HEADERS)
    return()
  endif()
  _pw_targets_below(${CMAKE_SOURCE_DIR} targets)
  set(modules Core Gui Widgets)
  set(headers qt_core.h qt_gui.h qt_widgets.h)
  set(source ${CMAKE_BINARY_DIR}/pch/pw_pch.cpp)
  file(CONFIGURE OUTPUT ${source} CONTENT "// Nothing: the precompiled header is the point.\n")
  foreach(level 1 2 3)
    math(EXPR i "${level} - 1")
    list(GET headers ${i} header)
    list(SUBLIST modules 0 ${level} qt)
    list(TRANSFORM qt PREPEND Qt6::)
    add_library(pw_pch_${level} STATIC ${source})
    target_link_libraries(pw_pch_${level} PRIVATE ${qt})
    set_target_properties(pw_pch_${level} PROPERTIES AUTOMOC OFF)
    target_precompile_headers(pw_pch_${level} PRIVATE ${CMAKE_SOURCE_DIR}/tools/pch/${header})
  endforeach()
  foreach(t ${targets})
    get_target_property(type ${t} TYPE)
    get_target_property(options ${t} COMPILE_OPTIONS)
    get_target_property(dir ${t} SOURCE_DIR)
    get_property(dir_options DIRECTORY ${dir} PROPERTY COMPILE_OPTIONS)
    # Targets with flags of their own (the fuzzers) keep to themselves.
    if(NOT type MATCHES "^(STATIC_LIBRARY|SHARED_LIBRARY|OBJECT_LIBRARY|EXECUTABLE)$"
       OR NOT "${options}" STREQUAL "${dir_options}")
      continue()
    endif()
    _pw_qt_level(${t} level)
    if(level GREATER 0)
      target_precompile_headers(${t} REUSE_FROM pw_pch_${level})
      # A program's moc file is empty (its classes include their moc output): loading
      # the header would be all its compile costs.
      if(type STREQUAL "EXECUTABLE")
        get_target_property(bin ${t} BINARY_DIR)
        set_source_files_properties(${bin}/${t}_autogen/mocs_compilation.cpp TARGET_DIRECTORY ${t}
          PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
      endif()
    endif()
  endforeach()
endfunction()
