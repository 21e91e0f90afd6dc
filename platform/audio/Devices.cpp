#include "platform/audio/Devices.h"

#include "platform/audio/Connection.h"
#include "platform/audio/ServerRecords.h"

#include <algorithm>
#include <cmath>
#include <pulse/introspect.h>
#include <pulse/volume.h>

namespace platform::audio {

namespace {

// One device as both kinds of server record describe it.
struct Record {
    DeviceInfo info;
    pa_cvolume volume{};
    bool muted = false;
};

struct Query {
    Connection* connection;
    std::vector<Record> records;
};

template <class Info> void collect(pa_context*, const Info* info, int eol, void* userdata) {
    auto* query = static_cast<Query*>(userdata);
    if (eol == 0 && info)
        query->records.push_back({deviceOf(info), info->volume, info->mute != 0});
    else
        query->connection->signal();
}

std::vector<Record> allRecords(Flow flow) {
    auto connection = Connection::shared();
    Query query{connection.get(), {}};
    connection->run([&] {
        return flow == Flow::Render ? pa_context_get_sink_info_list(connection->context(),
                                                                    collect<pa_sink_info>, &query)
                                    : pa_context_get_source_info_list(
                                          connection->context(), collect<pa_source_info>, &query);
    });
    return std::move(query.records);
}

std::optional<Record> findRecord(Flow flow, const std::string& id) {
    for (Record& record : allRecords(flow))
        if (record.info.id == id)
            return std::move(record);
    return std::nullopt;
}

struct ServerDefaults {
    Connection* connection;
    std::string sink;
    std::string source;
};

void collectServer(pa_context*, const pa_server_info* info, void* userdata) {
    auto* defaults = static_cast<ServerDefaults*>(userdata);
    if (info) {
        defaults->sink = info->default_sink_name ? info->default_sink_name : "";
        defaults->source = info->default_source_name ? info->default_source_name : "";
    }
    defaults->connection->signal();
}

struct Completion {
    Connection* connection;
    bool success = false;
};

void complete(pa_context*, int success, void* userdata) {
    auto* completion = static_cast<Completion*>(userdata);
    completion->success = success != 0;
    completion->connection->signal();
}

} // namespace

double volumeToDb(float scalar) {
    if (scalar <= 0)
        return -INFINITY;
    return pa_sw_volume_to_dB(pa_volume_t(std::lround(double(scalar) * PA_VOLUME_NORM)));
}

std::vector<DeviceInfo> listDevices(Flow flow, bool withMonitors) {
    std::vector<DeviceInfo> devices;
    for (Record& record : allRecords(flow))
        if (withMonitors || !record.info.isMonitor())
            devices.push_back(std::move(record.info));
    return devices;
}

std::vector<DeviceInfo> listMonitors() {
    std::vector<DeviceInfo> devices;
    for (Record& record : allRecords(Flow::Capture))
        if (record.info.isMonitor())
            devices.push_back(std::move(record.info));
    return devices;
}

std::string defaultDeviceId(Flow flow) {
    auto connection = Connection::shared();
    ServerDefaults defaults{connection.get(), {}, {}};
    connection->run([&] {
        return pa_context_get_server_info(connection->context(), collectServer, &defaults);
    });
    return flow == Flow::Render ? defaults.sink : defaults.source;
}

std::optional<DeviceInfo> findDevice(Flow flow, const std::string& id) {
    if (auto record = findRecord(flow, id))
        return std::move(record->info);
    return std::nullopt;
}

std::optional<Volume> deviceVolume(Flow flow, const std::string& id) {
    const auto record = findRecord(flow, id);
    if (!record)
        return std::nullopt;
    return volumeOf(record->volume, record->muted);
}

bool setDeviceVolume(Flow flow, const std::string& id, float scalar) {
    const auto record = findRecord(flow, id);
    if (!record)
        return false;
    const double clamped = std::clamp(double(scalar), 0.0, 1.0);
    pa_cvolume volume = record->volume;
    pa_cvolume_set(&volume, volume.channels, pa_volume_t(std::lround(clamped * PA_VOLUME_NORM)));
    auto connection = Connection::shared();
    Completion completion{connection.get()};
    connection->run([&] {
        return flow == Flow::Render
                   ? pa_context_set_sink_volume_by_index(connection->context(), record->info.index,
                                                         &volume, complete, &completion)
                   : pa_context_set_source_volume_by_index(
                         connection->context(), record->info.index, &volume, complete, &completion);
    });
    return completion.success;
}

bool setDeviceMute(Flow flow, const std::string& id, bool muted) {
    const auto record = findRecord(flow, id);
    if (!record)
        return false;
    auto connection = Connection::shared();
    Completion completion{connection.get()};
    connection->run([&] {
        return flow == Flow::Render
                   ? pa_context_set_sink_mute_by_index(connection->context(), record->info.index,
                                                       muted, complete, &completion)
                   : pa_context_set_source_mute_by_index(connection->context(), record->info.index,
                                                         muted, complete, &completion);
    });
    return completion.success;
}

} // namespace platform::audio
