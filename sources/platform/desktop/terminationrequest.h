#pragma once
// The termination signals a desktop session sends (SIGTERM at log-out, SIGINT from a terminal,
// SIGHUP when the terminal goes): the first becomes a request to close, which the window layer
// turns into the close message of the program's windows, so that the program ends as when the
// player closes the window; a second one ends the process at once, as the signal would. Only a
// signal sent to the process counts: one raised for a single thread stays with that thread.

// Installs the watch; call it before any other thread starts (a thread started before could
// take a signal itself, and end at once). Installing twice changes nothing.
void InstallTerminationRequest();
// True once for each request that arrived since the last call.
bool TakeTerminationRequest();
// True once any request arrived: the close it makes is nobody's to answer.
bool TerminationRequested();
