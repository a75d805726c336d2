// Packet reader throughput on a realistic stream (keep-alives, responses,
// 512-byte message chunks, an occasional photo body), fed in 4096-byte reads
// as the socket delivers them, against memcpy of the same bytes in the same
// reads and against a peer: the C HTTP parser (http-parser) reading the same
// messages framed as HTTP requests (a request line, the same headers and a
// body of the same size), fed in the same reads and keeping what it reads as
// the packet reader does. Also the time to read a packet of very many
// headers in descending order against the same in ascending order. The
// ratios are printed at the end.
#include "kestrova/wire/packet_receiver.h"

#include <benchmark/benchmark.h>
#include <http_parser.h>

#include "aim_line.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

using namespace kestrova::wire;

namespace {

constexpr size_t kReadSize = 4096;

std::vector<Packet> realisticPackets() {
    std::mt19937 random(7);
    std::vector<Packet> packets;
    uint64_t id = 32768;
    for (int i = 0; i < 4000; ++i) {
        unsigned kind = random() % 100;
        Packet packet;
        if (kind < 30) {
            packet.reset("P");
        } else if (kind < 55) {
            packet.reset("RESPONSE");
            packet.setHeader("Mesg-Id", id++);
            packet.setBody(std::string("\0\0\0\4", 4));
        } else if (kind < 98) {
            packet.reset("MESG");
            packet.setHeader("Mesg-Id", id++);
            packet.setHeader("Source-Id", uint64_t(1234567890123));
            packet.setHeader("Target-Id", uint64_t(9876543210));
            packet.setHeader("Content-Type", "text/plain");
            packet.setHeader("Timestamp", "1700000000.123456");
            packet.setBody(std::string(1 + random() % 512, 'm'));
        } else {
            packet.reset("MESG");
            packet.setHeader("Mesg-Id", id++);
            packet.setHeader("Content-Type", "image/jpeg");
            packet.setBody(std::string(64 * 1024, 'j'));
        }
        packets.push_back(std::move(packet));
    }
    return packets;
}

const std::string& stream() {
    static const std::string bytes = [] {
        std::string out;
        for (const Packet& packet : realisticPackets())
            if (!packet.serialiseTo(out)) std::abort();
        return out;
    }();
    return bytes;
}

// The same messages as HTTP/1.1 requests: "POST /<command>", the same
// headers and a Content-Length when there is a body.
const std::string& httpStream() {
    static const std::string bytes = [] {
        std::string out;
        for (const Packet& packet : realisticPackets()) {
            out += "POST /" + packet.command() + " HTTP/1.1\r\n";
            for (const auto& [name, value] : packet.headers()) out += name + ": " + value + "\r\n";
            if (!packet.body().empty()) out += "Content-Length: " + std::to_string(packet.body().size()) + "\r\n";
            out += "\r\n" + packet.body();
        }
        return out;
    }();
    return bytes;
}

void MemcpyBaseline(benchmark::State& state) {
    const std::string& bytes = stream();
    // The destination is as large as the stream, as the packets the reader
    // fills are: both sides move every byte once to memory of their own.
    std::string sink(bytes.size(), '\0');
    for (auto _ : state) {
        for (size_t from = 0; from < bytes.size(); from += kReadSize) {
            size_t n = std::min(kReadSize, bytes.size() - from);
            std::memcpy(sink.data() + from, bytes.data() + from, n);
            benchmark::DoNotOptimize(sink.data());
            benchmark::ClobberMemory();
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}

void PacketReader(benchmark::State& state) {
    const std::string& bytes = stream();
    size_t packets = 0;
    for (auto _ : state) {
        PacketReceiver receiver;
        Packet packet;
        for (size_t from = 0; from < bytes.size(); from += kReadSize) {
            receiver.append(std::string_view(bytes).substr(from, kReadSize));
            while (receiver.next(packet) == ReadStatus::Complete) ++packets;
        }
        benchmark::DoNotOptimize(packets);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
    state.counters["messages"] = benchmark::Counter(double(packets), benchmark::Counter::kIsRate);
}

// What the HTTP parser's callbacks keep of a request: the same as a Packet
// (the target, name/value pairs, the body), in storage reused from request
// to request as the packet reader reuses its packet. A name or value may
// come in pieces when it straddles two reads.
struct HttpRequest {
    std::string target;
    std::vector<std::pair<std::string, std::string>> headers;
    size_t used = 0;
    bool inValue = false;
    std::string body;
    size_t complete = 0;

    std::pair<std::string, std::string>& current() {
        if (used > headers.size()) headers.emplace_back();
        return headers[used - 1];
    }
};

int onUrl(http_parser* parser, const char* at, size_t length) {
    static_cast<HttpRequest*>(parser->data)->target.append(at, length);
    return 0;
}
int onHeaderField(http_parser* parser, const char* at, size_t length) {
    auto* request = static_cast<HttpRequest*>(parser->data);
    if (request->inValue || request->used == 0) {
        ++request->used;
        request->current().first.clear();
        request->current().second.clear();
        request->inValue = false;
    }
    request->current().first.append(at, length);
    return 0;
}
int onHeaderValue(http_parser* parser, const char* at, size_t length) {
    auto* request = static_cast<HttpRequest*>(parser->data);
    request->inValue = true;
    request->current().second.append(at, length);
    return 0;
}
int onBody(http_parser* parser, const char* at, size_t length) {
    static_cast<HttpRequest*>(parser->data)->body.append(at, length);
    return 0;
}
int onMessageBegin(http_parser* parser) {
    auto* request = static_cast<HttpRequest*>(parser->data);
    request->target.clear();
    request->body.clear();
    request->used = 0;
    request->inValue = false;
    return 0;
}
int onMessageComplete(http_parser* parser) {
    ++static_cast<HttpRequest*>(parser->data)->complete;
    return 0;
}

void HttpParserPeer(benchmark::State& state) {
    const std::string& bytes = httpStream();
    http_parser_settings settings{};
    settings.on_message_begin = onMessageBegin;
    settings.on_url = onUrl;
    settings.on_header_field = onHeaderField;
    settings.on_header_value = onHeaderValue;
    settings.on_body = onBody;
    settings.on_message_complete = onMessageComplete;
    size_t requests = 0;
    for (auto _ : state) {
        HttpRequest request;
        http_parser parser;
        http_parser_init(&parser, HTTP_REQUEST);
        parser.data = &request;
        for (size_t from = 0; from < bytes.size(); from += kReadSize) {
            size_t n = std::min(kReadSize, bytes.size() - from);
            if (http_parser_execute(&parser, &settings, bytes.data() + from, n) != n) {
                state.SkipWithError(http_errno_name(HTTP_PARSER_ERRNO(&parser)));
                return;
            }
        }
        requests += request.complete;
        benchmark::DoNotOptimize(request);
    }
    state.counters["messages"] = benchmark::Counter(double(requests), benchmark::Counter::kIsRate);
}

// One packet of 20,000 headers (far beyond the reader's own bound, which is
// lifted here), in ascending and in descending order of their names: the
// order must not matter to the cost of storing them.
std::string manyHeaders(bool descending) {
    constexpr int kHeaders = 20'000;
    std::string bytes = "X\n";
    for (int i = 0; i < kHeaders; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "h%08d: v\n", descending ? kHeaders - i : i);
        bytes += line;
    }
    return bytes + "\n";
}

void Headers(benchmark::State& state, bool descending) {
    const std::string bytes = manyHeaders(descending);
    ReaderLimits limits;
    limits.maxHeaderBytes = bytes.size();
    limits.maxHeaders = SIZE_MAX;
    for (auto _ : state) {
        PacketReceiver receiver(limits);
        Packet packet;
        receiver.append(bytes);
        if (receiver.next(packet) != ReadStatus::Complete) state.SkipWithError("the packet was not read");
        benchmark::DoNotOptimize(packet);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}

void HeadersInOrder(benchmark::State& state) { Headers(state, false); }
void HeadersInReverse(benchmark::State& state) { Headers(state, true); }

BENCHMARK(MemcpyBaseline);
BENCHMARK(PacketReader);
BENCHMARK(HttpParserPeer);
BENCHMARK(HeadersInOrder)->Unit(benchmark::kMillisecond);
BENCHMARK(HeadersInReverse)->Unit(benchmark::kMillisecond);

// Prints every run as usual and, at the end, each run's throughput as a
// ratio to the baseline's.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            auto it = run.counters.find("bytes_per_second");
            if (it != run.counters.end()) throughput_[run.benchmark_name()] = it->second.value;
            it = run.counters.find("messages");
            if (it != run.counters.end()) messages_[run.benchmark_name()] = it->second.value;
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        double baseline = throughput_["MemcpyBaseline"];
        if (baseline > 0)
            std::printf("ratio PacketReader / MemcpyBaseline = %.3f\n", throughput_["PacketReader"] / baseline);
        if (messages_["HttpParserPeer"] > 0)
            kestrova::bench::printAim("packet reader / http-parser, messages per second",
                                      messages_["PacketReader"] / messages_["HttpParserPeer"], kestrova::bench::AtLeast, 1.0);
        // Time in reverse order against time in order.
        if (throughput_["HeadersInReverse"] > 0)
            std::printf("ratio HeadersInReverse / HeadersInOrder (time) = %.2f\n",
                        throughput_["HeadersInOrder"] / throughput_["HeadersInReverse"]);
    }

private:
    std::map<std::string, double> throughput_;
    std::map<std::string, double> messages_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
