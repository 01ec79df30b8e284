echo off
latency 3
AT+CGMM => \r\nOK\r\n
