# A stick with echo off and replies shaped for the terminal: a full ATI, a reply with a pause
# in it, one with a NUL byte and one in Cyrillic.
echo off
latency 5
ATI => \r\nManufacturer: Testmaker\r\nModel: E173\r\nRevision: 11.126.85.00.209\r\nIMEI: 350000000000001\r\n+GCAP: +CGSM,+DS,+ES\r\n\r\nOK\r\n
# the tail comes 300 ms after the head: far more than the 50 ms of silence that end a read
AT+SPLIT => \r\nHEAD{pause 300}TAIL\r\n\r\nOK\r\n
AT+NUL => \r\nA\x00B\r\n\r\nOK\r\n
AT+CYR => \r\nОператор: Связь\r\n\r\nOK\r\n
* => \r\nERROR\r\n
