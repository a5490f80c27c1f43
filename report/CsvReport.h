// One CSV row per session, for spreadsheets.
#pragma once

#include <string>
#include <vector>

#include "report/Session.h"

constexpr char kCsvHeader[] =
    "folder,start_utc,end_utc,duration_s,page,outcome,exit_code,clean_shutdown,files,"
    "ignored_messages";

// One row, ended by CR LF.
std::string CsvRow(const Session& session);

// The header and the rows, each ended by CR LF; the sessions are taken in the order given.
std::string CsvText(const std::vector<Session>& sessions);
