echo on
latency 3
AT+CGMM => \r\nE1550\r\n\r\nOK\r\n
* => \r\nERROR\r\n
