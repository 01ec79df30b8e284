# A modem whose texts carry terminal control sequences: set the window title, clear the
# screen, back up over what was printed.
echo on
latency 3
AT+CGMM => \r\n\x1b]0;owned\x07X\x1b[2J\x7f\r\n\r\nOK\r\n
AT+CGMI => \r\nMaker\x08\x08\x08\x08\x08Fake!\r\n\r\nOK\r\n
* => \r\nERROR\r\n
