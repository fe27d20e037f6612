#pragma once
// What the windows of a program showed, for the tests and measurements that run the real
// program as a process. Nothing happens unless asked:
// - VYN_REPORT_PAINTS set and not empty: the first paint of each form is reported as the
//   start-up mark "painted <form name>" and the first turn of the message loop as "loop"
//   (platform/StartupReport.h);
// - a folder "snapshots" in the machine directory: a little after the windows were last
//   painted, each visible form is saved there as "<form name>.png", cut to its window
//   shape (transparent outside), written whole through a rename.
void InstallWindowRecorder();
