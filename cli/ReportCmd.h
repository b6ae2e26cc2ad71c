// pardow-cli report: the figures of one report of the reports window as
// JSON, for a period.
#pragma once

#include <string>
#include <vector>

#include "Reports.h"

// The line of this command in the tool's usage text.
#define PARDOW_REPORT_USAGE                                                        \
  "  report NAME FILE [--from YYYY-MM-DD] [--to YYYY-MM-DD]\n"                     \
  "                print a report's figures as JSON (NAME: categories, monthly,\n" \
  "                balance, members, budget); the period defaults to the file's\n" \
  "                working interval (for monthly: the twelve months ending\n"      \
  "                with it when it lies in one month); amounts in\n"               \
  "                ten-thousandths of the base currency\n"

// The figures of report `name` as JSON text; empty for an unknown name.
std::string ReportJson(CDataBase& db, const std::string& name, TReportPeriod period);

// Runs `report ARGS`: 0 when printed, 1 when the file cannot be opened, 2
// when the arguments are not valid.
int RunReportCommand(const std::vector<std::string>& args);
