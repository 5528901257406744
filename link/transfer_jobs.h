#pragma once

// Job codes of the transfer engine. A running job holds its own code; the worker replaces it with
// JOB_FAILED or JOB_DONE when the job is over, and the caller takes the result by clearing it to 0.
constexpr int JOB_NONE = 0;
constexpr int JOB_WRITE = 17;
constexpr int JOB_READ = 18;
constexpr int JOB_MONITOR = 35;
constexpr int JOB_COMMAND = 65;
constexpr int JOB_INFO = 66;
constexpr int JOB_FAILED = 132;
constexpr int JOB_DONE = 136;

// True for a code that the worker works on (not 0 and not a result).
constexpr bool JobRunning(int job)
{
    return job != JOB_NONE && job != JOB_FAILED && job != JOB_DONE;
}

// Flags of StartJob.
constexpr int kJobMarkSendFlags = 1; // every address of the range takes part
constexpr int kJobClearPcImage = 2; // the PC image of the range is cleared to 0
constexpr int kJobSingleAttempt = 4; // a frame is tried once instead of three times

// Worker states.
constexpr int kWorkerIdle = 0; // no unit, or the link is off
constexpr int kWorkerChoose = 1; // choose and build the next frame
constexpr int kWorkerSending = 2; // handing the frame to the port
constexpr int kWorkerWaiting = 3; // waiting for the reply
constexpr int kWorkerFailedAttempt = 4; // the frame got no good reply
