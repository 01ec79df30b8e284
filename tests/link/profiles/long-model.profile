# A model line of 300 characters: longer than a model slot and than a port entry.
echo off
latency 3
AT+CGMM => \r\n{repeat 30 LongModel!}\r\n\r\nOK\r\n
