#pragma once

// The two start-up choices kept per user between runs.
struct StoredChoices {
    bool showSplash = true;
    bool showWarning = true;
};

// A missing value, or one that reads as true, gives true.
StoredChoices readStoredChoices();
void writeStoredChoices(const StoredChoices& choices);
