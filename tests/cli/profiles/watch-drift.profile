# A signal that changes from one reading to the next: four levels, the unknown level, a
# reading the modem leaves unanswered, and a reply without a level; the system mode
# alternates between WCDMA and GSM.
echo on
latency 3
AT+CSQ => {cycle \r\n+CSQ: 0,99\r\n\r\nOK\r\n | \r\n+CSQ: 18,99\r\n\r\nOK\r\n | \r\n+CSQ: 31,99\r\n\r\nOK\r\n | \r\n+CSQ: 99,99\r\n\r\nOK\r\n | <silent> | \r\nERROR\r\n | \r\n+CSQ: 7,99\r\n\r\nOK\r\n}
AT^SYSINFO => {cycle \r\n^SYSINFO:2,3,0,5,1,,4\r\n\r\nOK\r\n | \r\n^SYSINFO:2,3,0,3,1,,3\r\n\r\nOK\r\n}
* => \r\nERROR\r\n
