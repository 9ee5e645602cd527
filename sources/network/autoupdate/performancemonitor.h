#pragma once
// TPerformanceMonitor: the telemetry client's thread. Until the telemetry client exists, the
// start-up calls these and nothing is reported.
class TPerformanceMonitor
{
public:
    static void Start();
    static void Stop();
};
