// Runs the per-processor power settings on every processor in turn.
#pragma once

// Pins the process to each processor in turn (mask 1 << i) and applies the settings there,
// with the no-lock bits only when `lockOption` is set and the system has one processor;
// then restores the process affinity. Must run before the idle threads exist: the process
// mask would otherwise override their own.
void ForEachProcessor(bool lockOption);
