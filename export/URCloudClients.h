#pragma once
// Installs the Google clients in the cloud worker: the Drive client for storage type 1 and the
// YouTube client for type 5. Other makers stay as they are installed.

void InstallGoogleCloudClients();
