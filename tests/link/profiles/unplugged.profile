# Answers AT, and is pulled out when it receives AT+GONE.
echo off
latency 3
AT => \r\nOK\r\n
unplug AT+GONE
