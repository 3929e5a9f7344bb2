# The non-visual libraries (instrument link, document component, data module, component core)
# must never reach a widget. Two checks keep it so:
#  - at configure time, the link closure of each such library may not contain Qt Gui or Widgets;
#  - the test "layering_includes" scans their sources for includes of Qt Gui or Widgets headers,
#    which the common Qt include folder would otherwise let through without a link.

function(_qel_link_closure target out)
  set(_seen ${${out}})
  foreach(_prop LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
    get_target_property(_libs ${target} ${_prop})
    if(NOT _libs)
      continue()
    endif()
    foreach(_lib ${_libs})
      # $<LINK_ONLY:X> still links X; other generator expressions name no target here.
      string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" _lib "${_lib}")
      if(_lib MATCHES "^\\$<" OR NOT TARGET ${_lib} OR _lib IN_LIST _seen)
        continue()
      endif()
      list(APPEND _seen ${_lib})
      _qel_link_closure(${_lib} _seen)
    endforeach()
  endforeach()
  set(${out} ${_seen} PARENT_SCOPE)
endfunction()

function(qel_check_non_visual)
  foreach(_t ${ARGN})
    set(_closure "")
    _qel_link_closure(${_t} _closure)
    foreach(_forbidden Qt6::Widgets Qt6::Gui Qt6::Charts qel_components)
      if(_forbidden IN_LIST _closure)
        message(FATAL_ERROR "${_t} is non-visual but reaches ${_forbidden} through its links")
      endif()
    endforeach()
  endforeach()
endfunction()
