// The groups of cases, one table of tables per file.
#pragma once

#include "e2e_report.h"

extern const E2eGroup g_spineGroup;
extern const E2eGroup g_inputGroup;
extern const E2eGroup g_resourcesGroup;
extern const E2eGroup g_demoGroup;
extern const E2eGroup g_placementGroup;
extern const E2eGroup g_dragGroup;
extern const E2eGroup g_aboutGroup;
extern const E2eGroup g_toolListGroup;
extern const E2eGroup g_faultsGroup;
extern const E2eGroup g_plantingGroup;
extern const E2eGroup g_dropGroup;
extern const E2eGroup g_dpiGroup;
extern const E2eGroup g_waitsGroup;
