// The tool's row store lives in info/ beside the table, shared with the tests.
#pragma once

#include "info/captured_rows.h"
