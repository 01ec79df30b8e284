# Signal values beyond 0-31 and 99: one far too large for any integer type, the extension
# 100-191 at both ends and in the middle, and 199, its unknown level.
echo on
latency 3
AT+CSQ => {cycle \r\n+CSQ: 99999999999999999999,0\r\n\r\nOK\r\n | \r\n+CSQ: 151,99\r\n\r\nOK\r\n | \r\n+CSQ: 100,99\r\n\r\nOK\r\n | \r\n+CSQ: 191,99\r\n\r\nOK\r\n | \r\n+CSQ: 199,99\r\n\r\nOK\r\n}
AT^SYSINFO => \r\n^SYSINFO:2,3,0,5,1,,4\r\n\r\nOK\r\n
* => \r\nERROR\r\n
