// A multipart upload of one file to an HTTPS server on 127.0.0.1 through the cloud client,
// beside the curl command line sending the same file to the same server in the same run. The
// size is TAVRIN_BENCH_UPLOAD_MB megabytes (256 by default).
#include "export/URCloudBase.h"
#include "tests/support/net/TlsTestServer.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

struct Upload {
    Upload() {
        const qint64 megabytes = qEnvironmentVariableIntValue("TAVRIN_BENCH_UPLOAD_MB");
        bytes = (megabytes > 0 ? megabytes : 256) * 1024 * 1024;
        QByteArray block(1 << 20, 0);
        QRandomGenerator generator(11);
        generator.fillRange(reinterpret_cast<quint32*>(block.data()), block.size() / 4);
        QFile file(dir.filePath("video.mp4"));
        file.open(QIODevice::WriteOnly);
        for (qint64 written = 0; written < bytes; written += block.size())
            file.write(block);
        server.keepBodies(false);
        server.route("POST", "/upload", {200, "{\"id\":\"F1\"}", {}});
        server.route("PUT", "/upload", {200, "{\"id\":\"F1\"}", {}});
    }
    QTemporaryDir dir;
    TlsTestServer server;
    qint64 bytes = 0;
};

Upload& upload() {
    static Upload prepared;
    return prepared;
}

void CloudClientMultipartUpload(benchmark::State& state) {
    Upload& prepared = upload();
    TRCloudBase client;
    client.SetCertificateAuthorities(prepared.server.caFile());
    for (auto _ : state) {
        const QByteArray reply =
            client.HttpsPut(prepared.server.base() + "/upload", prepared.dir.path(), "video.mp4",
                            "", "{}", THTTPCommand::hcPostMultiPart);
        if (reply.isEmpty())
            state.SkipWithError("the upload failed");
    }
    state.SetBytesProcessed(state.iterations() * prepared.bytes);
}

void CurlCommandLineUpload(benchmark::State& state) {
    Upload& prepared = upload();
    for (auto _ : state) {
        const int code = QProcess::execute(
            "curl", {"-sS", "-o", "/dev/null", "--cacert", prepared.server.caFile(), "-T",
                     prepared.dir.filePath("video.mp4"), prepared.server.base() + "/upload"});
        if (code != 0)
            state.SkipWithError("curl failed");
    }
    state.SetBytesProcessed(state.iterations() * prepared.bytes);
}

} // namespace

BENCHMARK(CloudClientMultipartUpload)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(CurlCommandLineUpload)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
