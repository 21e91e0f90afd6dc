#include "export/URCloudClients.h"

#include "export/URCloudThread.h"
#include "export/URCloudYoutube.h"

void InstallGoogleCloudClients() {
    TRCloudClientMakers makers = CloudClientMakers();
    makers.googleDrive = [] { return std::make_unique<TRGoogleDrive>(); };
    makers.youtube = [] { return std::make_unique<TRYoutube>(); };
    SetCloudClientMakers(makers);
}
