# A modem whose texts carry terminal control sequences: set the window title, clear the
# screen, back up over what was printed.
echo on
latency 3
AT+CGMM => \r\n\x1b]0;owned\x07X\x1b[2J\x7f\r\n\r\nOK\r\n
AT+CGMI => \r\nMaker\x08\x08\x08\x08\x08Fake!\r\n\r\nOK\r\n
* => \r\nERROR\r\n
# NUL bytes inside a reply, and replies past the 65535 bytes a reply buffer holds
AT+NUL => \r\nA\x00B\x00C\r\n\r\nOK\r\n
AT+FLOOD => {repeat 70000 x}
AT+BIGFLOOD => {repeat 1000000 x}
