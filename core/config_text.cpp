// Writing and reading the seven lines of "config.txt".
#include "config_text.h"

#include <cstdint>
#include <cstring>

#include "guid_text.h"
#include "utf8_mark.h"

// Any magnitude above every value a field can hold; digits beyond it only keep it there.
constexpr uint64_t kMagnitudeCap = 0x100000000ull;

static size_t PutLineEnd(char* text, size_t at)
{
    text[at++] = '\r';
    text[at++] = '\n';
    return at;
}

static size_t PutPlanLine(char* text, size_t at, const GUID& plan)
{
    char guidText[kGuidTextLength + 1];
    FormatGuidText(plan, guidText);
    std::memcpy(text + at, guidText, kGuidTextLength);
    return PutLineEnd(text, at + kGuidTextLength);
}

// Writes the decimal digits of value, most significant first, with no leading zeros.
static size_t PutDigits(char* text, size_t at, uint32_t value)
{
    char reversed[10];
    size_t count = 0;
    do {
        reversed[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (count > 0) {
        text[at++] = reversed[--count];
    }
    return at;
}

static size_t PutSignedLine(char* text, size_t at, int32_t value)
{
    // The magnitude is taken in unsigned arithmetic so that INT32_MIN has one too.
    uint32_t magnitude = static_cast<uint32_t>(value);
    if (value < 0) {
        text[at++] = '-';
        magnitude = 0u - magnitude;
    }
    return PutLineEnd(text, PutDigits(text, at, magnitude));
}

static size_t PutUnsignedLine(char* text, size_t at, uint16_t value)
{
    return PutLineEnd(text, PutDigits(text, at, value));
}

size_t FormatConfigText(const SwitchSettings& settings, char (&text)[kConfigTextCapacity])
{
    size_t at = 0;
    at = PutPlanLine(text, at, settings.pluggedInPlan);
    at = PutPlanLine(text, at, settings.unpluggedPlan);
    at = PutPlanLine(text, at, settings.lowBatteryPlan);
    at = PutSignedLine(text, at, settings.switchOnAcChange);
    at = PutSignedLine(text, at, settings.switchOnLowBattery);
    at = PutSignedLine(text, at, settings.showNotifications);
    return PutUnsignedLine(text, at, settings.lowBatteryPercent);
}

// Where the reader stands in the bytes, and whether an earlier read has failed.
struct ConfigReader {
    const unsigned char* bytes;
    size_t length;
    size_t at;
    bool failed;
};

// Exactly the six whitespace characters of the C locale; every other byte, 0x85 and 0xA0
// among them, belongs to a token.
static bool IsConfigSpace(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

static bool IsDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}

static void SkipSpace(ConfigReader* reader)
{
    while (reader->at < reader->length && IsConfigSpace(reader->bytes[reader->at])) {
        reader->at++;
    }
}

// Takes the next token into *plan when it is identifier text naming an installed plan. Only
// an empty token at the end of the bytes fails the reader.
static void ReadPlan(ConfigReader* reader, GUID* plan, PlanInstalledFn isInstalled,
                     const void* context)
{
    if (reader->failed) {
        return;
    }
    SkipSpace(reader);
    if (reader->at == reader->length) {
        reader->failed = true;
        return;
    }
    size_t start = reader->at;
    while (reader->at < reader->length && !IsConfigSpace(reader->bytes[reader->at])) {
        reader->at++;
    }
    size_t tokenLength = reader->at - start;
    // A token of any other length than identifier text is consumed whole and names no plan.
    GUID read;
    const char* token = reinterpret_cast<const char*>(reader->bytes + start);
    if (!ParseGuidText(token, tokenLength, &read)) {
        return;
    }
    if (isInstalled != nullptr && isInstalled(read, context)) {
        *plan = read;
    }
}

// Reads an optional sign and the digits after it, stopping at the first non-digit, which is
// left for the next read. False, with the reader failed, when there is no digit.
static bool ReadNumber(ConfigReader* reader, bool* negative, uint64_t* magnitude)
{
    if (reader->failed) {
        return false;
    }
    SkipSpace(reader);
    *negative = false;
    if (reader->at < reader->length &&
        (reader->bytes[reader->at] == '+' || reader->bytes[reader->at] == '-')) {
        *negative = reader->bytes[reader->at] == '-';
        reader->at++;
    }
    size_t firstDigit = reader->at;
    uint64_t value = 0;
    while (reader->at < reader->length && IsDigit(reader->bytes[reader->at])) {
        value = value * 10 + (reader->bytes[reader->at] - '0');
        if (value > kMagnitudeCap) {
            value = kMagnitudeCap;
        }
        reader->at++;
    }
    if (reader->at == firstDigit) {
        reader->failed = true;
        return false;
    }
    *magnitude = value;
    return true;
}

static void ReadInt32(ConfigReader* reader, int32_t* field)
{
    bool negative;
    uint64_t magnitude;
    if (!ReadNumber(reader, &negative, &magnitude)) {
        return;
    }
    uint64_t limit = negative ? 0x80000000ull : 0x7FFFFFFFull;
    if (magnitude > limit) {
        reader->failed = true;
        return;
    }
    int64_t value = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
    *field = static_cast<int32_t>(value);
}

// The file never holds a negative percent, so a minus sign is refused, even in front of 0.
static void ReadUint16(ConfigReader* reader, uint16_t* field)
{
    bool negative;
    uint64_t magnitude;
    if (!ReadNumber(reader, &negative, &magnitude)) {
        return;
    }
    if (negative || magnitude > 0xFFFFu) {
        reader->failed = true;
        return;
    }
    *field = static_cast<uint16_t>(magnitude);
}

void ReadConfigText(const char* bytes, size_t length, SwitchSettings* settings,
                    PlanInstalledFn isInstalled, const void* context)
{
    if (settings == nullptr) {
        return;
    }
    ConfigReader reader = {reinterpret_cast<const unsigned char*>(bytes), length, 0, false};
    if (bytes == nullptr) {
        reader.length = 0;
    }
    reader.at = Utf8MarkLength(bytes, reader.length);
    ReadPlan(&reader, &settings->pluggedInPlan, isInstalled, context);
    ReadPlan(&reader, &settings->unpluggedPlan, isInstalled, context);
    ReadPlan(&reader, &settings->lowBatteryPlan, isInstalled, context);
    ReadInt32(&reader, &settings->switchOnAcChange);
    ReadInt32(&reader, &settings->switchOnLowBattery);
    ReadInt32(&reader, &settings->showNotifications);
    ReadUint16(&reader, &settings->lowBatteryPercent);
}
