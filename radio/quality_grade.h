// One grade per metric, by the bounds of its row in the metric table (radio/metric_table.h).
#pragma once

#include "radio/radio_facts.h"

enum class Grade { Unknown, Excellent, Good, Fair, Poor };

Grade GradeOf(MetricKind kind, double value);
// A metric's grade: a value below an open lower end is graded as lying under its bound.
Grade GradeOfMetric(MetricKind kind, const Metric& metric);

// "excellent", "good", "fair", "poor"; nullptr for Unknown.
const char* GradeEnum(Grade grade);
// The program's words, Windows-1251: "Отлично", "Хорошо", "Удовлетворительно", "Плохо".
const char* GradeWord(Grade grade);
