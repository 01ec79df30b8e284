# A modem whose model text is everything a label value must survive: quotes, a backslash,
# braces, escape sequences, a bell, DEL and far more than 128 bytes.
echo on
latency 2
AT+CGMM => \r\nZW "9000" \\ {x} \x1b[2J\x07\x7f end{repeat 200 \xe6}\r\n\r\nOK\r\n
AT+CGSN => \r\n354444444444444\r\n\r\nOK\r\n
AT+CSQ => \r\n+CSQ: 25,99\r\n\r\nOK\r\n
AT+CREG? => \r\n+CREG: 0,5\r\n\r\nOK\r\n
AT+CPIN? => \r\n+CPIN: READY\r\n\r\nOK\r\n
* => \r\nERROR\r\n
