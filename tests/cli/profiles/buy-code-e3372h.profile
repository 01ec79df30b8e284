# An E3372 whose versions name the E3372H hardware, the third product.
echo on
latency 3
AT+CGMM => \r\nE3372h-153\r\n\r\nOK\r\n
AT^FHVER => \r\n^FHVER:"E3372h-153 22.200.15.00.00,CL2E3372HM"\r\n\r\nOK\r\n
* => \r\nERROR\r\n
