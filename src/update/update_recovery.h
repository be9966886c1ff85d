#pragma once
// Starting an update-apply run of the host program named by the update helper.

// Starts the host with "--apply-update" (or "--recover-update"), the root, the job folder and
// this process's id and creation time, so the run waits for exactly this process to end.
bool HandOverToApplyRun(bool recover);
