# Its model reply names another port: the entry must still lead to this one.
echo off
latency 3
AT+CGMM => \r\nX (COM4)\r\n\r\nOK\r\n
* => \r\nOK\r\n
