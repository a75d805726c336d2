#include "data_map.h"

#include "number_text.h"

#include <cstdlib>

namespace kestrova::api {

HandleRecord* createDataMap() { return makeHandle(new DataMap); }

}  // namespace kestrova::api

using namespace kestrova::api;
using kestrova::wire::DataMapEntries;

namespace {

std::string bytes(const void* data, uint32_t length) {
    return length ? std::string(static_cast<const char*>(data), length) : std::string();
}

DataMap& map(HDATAMAP handle) { return *body<DataMap>(handle); }

const std::string* find(HDATAMAP handle, const char* key) {
    auto& entries = map(handle).entries;
    auto it = entries.find(std::string_view(key));
    return it == entries.end() ? nullptr : &it->second;
}

int32_t report(DataMap& m, const char** keyOut, const unsigned char** dataOut, uint32_t* lengthOut) {
    if (m.cursor == m.entries.end()) {
        m.enumerating = false;
        return 0;
    }
    if (keyOut) *keyOut = m.cursor->first.c_str();
    if (dataOut) *dataOut = reinterpret_cast<const unsigned char*>(m.cursor->second.c_str());
    if (lengthOut) *lengthOut = static_cast<uint32_t>(m.cursor->second.size());
    return 1;
}

void setNested(DataMapEntries& entries, std::string_view path, const void* data, uint32_t length) {
    size_t dot = path.find('.');
    if (dot == std::string_view::npos) {
        entries.insert_or_assign(std::string(path), bytes(data, length));
        return;
    }
    std::string head(path.substr(0, dot));
    // An absent head starts as an empty nested map.
    DataMapEntries nested;
    if (auto it = entries.find(head); it != entries.end()) {
        const auto* bytes = reinterpret_cast<const uint8_t*>(it->second.data());
        kestrova::wire::parseDataMap({bytes, it->second.size()}, nested);
    }
    setNested(nested, path.substr(dot + 1), data, length);
    entries.insert_or_assign(std::move(head), kestrova::wire::encodeDataMap(nested));
}

}  // namespace

extern "C" {

HDATAMAP RY_CreateDataMap() { return as<HDATAMAP>(createDataMap()); }

void RY_SetDataMapEntry(HDATAMAP handle, const char* key, const void* data, uint32_t length) {
    map(handle).entries.insert_or_assign(std::string(key), bytes(data, length));
}

void RY_SetDataMapString(HDATAMAP handle, const char* key, const char* text) {
    map(handle).entries.insert_or_assign(std::string(key), std::string(text));
}

int32_t RY_GetDataMapEntry(HDATAMAP handle, const char* key, const unsigned char** dataOut, uint32_t* lengthOut) {
    const std::string* value = find(handle, key);
    if (!value) return 0;
    if (dataOut) *dataOut = reinterpret_cast<const unsigned char*>(value->c_str());
    if (lengthOut) *lengthOut = static_cast<uint32_t>(value->size());
    return 1;
}

const char* RY_GetDataMapString(HDATAMAP handle, const char* key) {
    const std::string* value = find(handle, key);
    return value ? value->c_str() : nullptr;
}

int32_t RY_GetDataMapInt(HDATAMAP handle, const char* key) {
    const std::string* value = find(handle, key);
    return value ? readInt32(value->c_str()) : 0;
}

int64_t RY_GetDataMapInt64(HDATAMAP handle, const char* key) {
    const std::string* value = find(handle, key);
    return value ? std::strtoll(value->c_str(), nullptr, 10) : 0;
}

int32_t RY_EnumDataMapBegin(HDATAMAP handle, const char** keyOut, const unsigned char** dataOut,
                            uint32_t* lengthOut) {
    DataMap& m = map(handle);
    m.cursor = m.entries.begin();
    m.enumerating = true;
    return report(m, keyOut, dataOut, lengthOut);
}

int32_t RY_EnumDataMapNext(HDATAMAP handle, const char** keyOut, const unsigned char** dataOut,
                           uint32_t* lengthOut) {
    DataMap& m = map(handle);
    // Asking again after the end, or before any Begin, keeps answering 0.
    if (!m.enumerating) return 0;
    ++m.cursor;
    return report(m, keyOut, dataOut, lengthOut);
}

void RY_SetNestedAttribute(HDATAMAP handle, const char* path, const void* const* valueRef, uint32_t length) {
    setNested(map(handle).entries, path, *valueRef, length);
}

uint32_t RY_EncodeDataMap(HDATAMAP handle, void* buffer) {
    const DataMapEntries& entries = map(handle).entries;
    size_t size = kestrova::wire::encodedDataMapSize(entries);
    if (buffer) kestrova::wire::encodeDataMap(entries, static_cast<uint8_t*>(buffer));
    return static_cast<uint32_t>(size);
}

int32_t RY_ParseDataMap(HDATAMAP handle, const void* data, uint32_t length) {
    auto result = kestrova::wire::parseDataMap({static_cast<const uint8_t*>(data), length}, map(handle).entries);
    return result.status == kestrova::wire::ParseStatus::Complete ? 1 : 0;
}

}  // extern "C"
