#pragma once

namespace tp::sim {

class SimulatedAdapter;

// The temperature sensors the bench can make: "LM75A", "SA56004",
// "NE1617", "SE98". Their temperatures hold still until a test sets them.
void registerThermalChips(SimulatedAdapter& bench);

// For the program's own bench: sensors made from now on let their
// temperatures wander slowly (a few degrees over minutes), so a user who
// polls one sees readings change. Tests never call it.
void letThermalChipsDrift(SimulatedAdapter& bench);

} // namespace tp::sim
