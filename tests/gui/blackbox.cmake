# Black-box tests of the built window program: each starts its own X display, simulated
# modems in the prefix's dosdevices and Vesmarin.exe under Wine, then drives it with the
# pointer and keys and reads the screen. Screenshots and difference pictures of the last run
# are kept in gui-pictures/NAME of the build directory.
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
  # One Wine prefix serves every test of the build, and each test stops its server at the end.
  set_tests_properties(GuiBlackBox.${name} PROPERTIES TIMEOUT 900 RUN_SERIAL TRUE)
endfunction()

vesmarin_blackbox_test(ReadAndTabs blackbox-read.sh)
vesmarin_blackbox_test(WaitingPicture blackbox-waiting.sh)
vesmarin_blackbox_test(Hover blackbox-hover.sh)
vesmarin_blackbox_test(Close blackbox-close.sh)
vesmarin_blackbox_test(Terminal blackbox-terminal.sh)
vesmarin_blackbox_test(Copy blackbox-copy.sh --cli $<TARGET_FILE:vesmarin-cli>)
# The page of a group-1 model, as this build's shop settings make it.
vesmarin_blackbox_test(BuyCode blackbox-buy-code.sh
                       --page "${VESMARIN_SHOP_ORIGIN}/asp/pay.asp?id_d=${VESMARIN_PRODUCT_NUMBER_1}")
