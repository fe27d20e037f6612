#pragma once
// Marks of the start-up, for the start-up benchmark and the tests that run the programs as
// processes. With VYN_REPORT_PAINTS set and not empty, each mark is one line on standard
// output, "<what> <ms>", ms being CLOCK_MONOTONIC in milliseconds with three decimals
// (system-wide, so the process that started this one can time each step); otherwise
// nothing is written.
//
// The marks a program's start gives, in order: "main" (the class library is being brought
// up), "app" (Qt's application object exists), "built <form>" and "created <form>" (each form
// made by the start: its controls, then its OnCreate; the main form first), "run" (the forms
// are made; the message loop is about to start), "loop" (its first turn) and "painted <form>"
// (each form's first paint).
#include <string>

bool StartupReportWanted();
void ReportStartup(const std::string& what);
