# A port that opens but never answers anything, not even ATE0.
echo off
* => <silent>
ATE0 => <silent>
