# Keeps echoing whatever it is told: shows exactly what reached it.
echo always
latency 2
AT+CGMM => \r\nE173\r\n\r\nOK\r\n
* => \r\nOK\r\n
