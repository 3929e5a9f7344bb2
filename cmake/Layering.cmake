# The non-visual libraries (instrument link, document component, data module, component core)
# must never reach a widget. The report on pages (document/pdf) and the command-line tool that
# writes it may use Qt Gui for the layout, but never a widget or a print dialog. Two checks keep it so:
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

# _qel_check_closure(FORBIDDEN <targets...> TARGETS <targets...>)
function(_qel_check_closure)
  cmake_parse_arguments(ARG "" "" "FORBIDDEN;TARGETS" ${ARGN})
  foreach(_t ${ARG_TARGETS})
    set(_closure "")
    _qel_link_closure(${_t} _closure)
    foreach(_forbidden ${ARG_FORBIDDEN})
      if(_forbidden IN_LIST _closure)
        message(FATAL_ERROR "${_t} may not reach ${_forbidden}, but does through its links")
      endif()
    endforeach()
  endforeach()
endfunction()

function(qel_check_non_visual)
  _qel_check_closure(FORBIDDEN Qt6::Widgets Qt6::Gui Qt6::Charts Qt6::PrintSupport qel_components
                     TARGETS ${ARGN})
endfunction()

# Qt Gui allowed (text layout, painting, PDF), widgets and print dialogs not.
function(qel_check_no_widgets)
  _qel_check_closure(FORBIDDEN Qt6::Widgets Qt6::Charts Qt6::PrintSupport qel_components qel_document_ui
                     TARGETS ${ARGN})
endfunction()
