echo off
latency 3
AT+CGMM => \r\n\r\nOK\r\n
