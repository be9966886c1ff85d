#pragma once
// What a helper needs to know about the machine, read for the problem report: Windows' real
// version, Wine's when it runs underneath, the processor, the memory and the monitors.
#include <string>
#include <vector>

struct MonitorFacts {
    std::wstring name;   // "\\.\DISPLAY1"
    long left = 0, top = 0, right = 0, bottom = 0;                     // the monitor
    long workLeft = 0, workTop = 0, workRight = 0, workBottom = 0;     // its work area
    unsigned dpi = 0;    // effective DPI, 0 when unknown
    bool primary = false;
};

struct MachineFacts {
    unsigned long windowsMajor = 0, windowsMinor = 0, windowsBuild = 0;
    std::wstring windowsServicePack;
    std::wstring wineVersion;  // empty when not under Wine or Proton
    std::wstring wineHost;     // the host system Wine reports, when it does
    std::wstring cpuName;
    unsigned cpuCores = 0;         // physical cores
    unsigned logicalProcessors = 0;
    unsigned long long memoryTotal = 0;      // bytes
    unsigned long long memoryAvailable = 0;  // bytes
    std::vector<MonitorFacts> monitors;
};

// Asked afresh at each call; any thread.
MachineFacts ReadMachineFacts();

// The facts as lines of report.txt, each ending in "\r\n".
std::wstring MachineFactsText(const MachineFacts& facts);
