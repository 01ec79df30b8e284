# Knows ATE0 and nothing else.
echo on
latency 3
* => \r\nERROR\r\n
