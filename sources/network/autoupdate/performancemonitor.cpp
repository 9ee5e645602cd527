#include "network/autoupdate/performancemonitor.h"

void TPerformanceMonitor::Start() {}

void TPerformanceMonitor::Stop() {}
