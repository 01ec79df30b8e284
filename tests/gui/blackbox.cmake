# Black-box tests of the built window program: each starts simulated modems in the prefix's
# dosdevices and Vesmarin.exe under Wine on an X display of its own (or the Wine suite's),
# then drives it with the pointer and keys and reads the screen. Screenshots and difference
# pictures of the last run are kept in gui-pictures/NAME of the build directory.
if(NOT WIN32)
  return()
endif()

set(VESMARIN_GUI_TESTS ${CMAKE_CURRENT_LIST_DIR})

# vesmarin_blackbox_test(NAME SCRIPT [ARGS...]): one CTest entry running tests/gui/SCRIPT.
function(vesmarin_blackbox_test name script)
  add_test(NAME GuiBlackBox.${name}
           COMMAND ${VESMARIN_GUI_TESTS}/run-with-display.sh --
                   ${VESMARIN_GUI_TESTS}/${script} --arch ${VESMARIN_WINE_ARCH}
                   --prefix ${VESMARIN_WINE_PREFIX} --modemsim ${VESMARIN_MODEMSIM}
                   --exe $<TARGET_FILE:Vesmarin>
                   --artifacts ${CMAKE_BINARY_DIR}/gui-pictures/${name} ${ARGN})
  # One Wine prefix serves every test of the build; each test stops its server at the end,
  # unless a Wine suite keeps it up for all of them.
  set_tests_properties(GuiBlackBox.${name} PROPERTIES TIMEOUT 900 ${VESMARIN_WINE_LOCK})
endfunction()

# The scenarios that start alike share one session of the program (blackbox-session.sh): the
# waiting picture, hover, read and tabs, terminal, buy-code (the page of a group-1 model, as
# this build's shop settings make it), close. Each scenario's script also runs alone:
#   tests/gui/run-with-display.sh -- tests/gui/blackbox-NAME.sh --arch ... (see its head).
vesmarin_blackbox_test(Session blackbox-session.sh
                       --page "${VESMARIN_SHOP_ORIGIN}/asp/pay.asp?id_d=${VESMARIN_PRODUCT_NUMBER_1}")
vesmarin_blackbox_test(Copy blackbox-copy.sh --cli $<TARGET_FILE:vesmarin-cli>)
