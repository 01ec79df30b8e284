# A stick pulled out at the first signal reading.
echo on
latency 3
unplug AT+CSQ
* => \r\nOK\r\n
