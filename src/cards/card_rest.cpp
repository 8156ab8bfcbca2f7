#include "cards/card_rest.h"

#include "cards/android_custom.h"
#include "cards/card_line.h"
#include "cards/card_text.h"
#include "cards/property_types.h"
#include "cards/value_forms.h"
#include "cards/value_reading.h"
#include "text/ascii_text.h"
#include "text/base64.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <utility>

namespace quorvane {

namespace {

constexpr std::size_t NoOffset = std::string_view::npos;

// One property of the card itself, as the first reading finds it.
struct CardProperty {
    LogicalLine line;
    std::string name;  // upper case, without its group
    std::string group; // upper case; empty without one
    std::string parameters;
    // Where the value starts in line.written; NoOffset when the first line
    // ends before the colon, so that only the unfolded line tells.
    std::size_t valueStart = NoOffset;
};

// The card's properties, and what some of them say of the others.
struct CardOutline {
    std::vector<CardProperty> properties;
    std::map<std::string, std::string, std::less<>> groupLabels; // Apple's X-ABLabel by group
    Escapes escapes = Escapes::Version3;
};

// Apple writes its own labels (as opposed to the user's) as "_$!<Spouse>!$_".
std::string withoutAppleWrapping(std::string label) {
    constexpr std::string_view Open = "_$!<";
    constexpr std::string_view Close = ">!$_";
    if (label.size() >= Open.size() + Close.size() && label.starts_with(Open) &&
        label.ends_with(Close))
        return label.substr(Open.size(), label.size() - Open.size() - Close.size());
    return label;
}

// The group `line` names before the property `name` it holds ("item1" of
// "item1.TEL"), upper case.
std::string groupOf(std::string_view line, std::string_view name) {
    std::string_view group =
        Trimmed(line.substr(0, static_cast<std::size_t>(name.data() - line.data())));
    if (group.ends_with('.'))
        group.remove_suffix(1);
    return UpperAscii(Trimmed(group));
}

bool isBlankOrLineEnd(char c) {
    return IsBlank(c) || c == '\r' || c == '\n';
}

// Up to `count` of the first characters of `value` that are not blanks or
// line ends, in lower case: enough to tell a picture's form by, however its
// lines are folded.
std::string leadingCharacters(std::string_view value, std::size_t count) {
    std::string lead;
    for (std::size_t at = 0; at < value.size() && lead.size() < count; ++at) {
        if (!isBlankOrLineEnd(value[at]))
            lead += LowerAscii(value[at]);
    }
    return lead;
}

// `text` as written on one line, its folds taken out.
std::string withoutBlanks(std::string_view text) {
    std::string kept;
    std::copy_if(text.begin(), text.end(), std::back_inserter(kept),
                 [](char c) { return !isBlankOrLineEnd(c); });
    return kept;
}

bool contains(const std::vector<std::string>& names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// How a picture is given.
enum class PictureShape {
    Inline, // its bytes in base64, as Outlook reads a picture
    Data,   // vCard 4.0's data: address, which holds the bytes too
    Link,   // a web address: never fetched
};

PictureShape shapeOf(std::string_view lead, const std::vector<std::string>& types) {
    if (lead.starts_with("data:"))
        return PictureShape::Data;
    const bool webAddress = lead.starts_with("http://") || lead.starts_with("https:/") ||
                            lead.starts_with("ftp://") || lead.starts_with("file:");
    if (webAddress || contains(types, "URI") || contains(types, "URL"))
        return PictureShape::Link;
    return PictureShape::Inline;
}

// The file extension the first of `types` that names a picture format gives.
std::string pictureTypeOf(const std::vector<std::string>& types) {
    for (const std::string& type : types) {
        if (std::string extension = PictureExtension(type); !extension.empty())
            return extension;
    }
    return {};
}

// Reads the card's values and what Outlook does with each, in the card's order.
class RestReader {
public:
    RestReader(const OutlookKeeps& keeps, const ValueReading& reading)
        : keeps_(keeps), reading_(reading) {}

    CardRest read(std::string_view text) {
        outline(text);
        for (const CardProperty& property : outline_.properties) {
            if (property.name == "ADR")
                addressRows_.insert(keeps_.rowFor("ADR", typesOf(property).names, ""));
        }
        for (const CardProperty& property : outline_.properties)
            take(property);
        return std::move(rest_);
    }

private:
    const OutlookKeeps& keeps_;
    const ValueReading& reading_;
    CardOutline outline_;
    CardRest rest_;
    std::set<std::string, std::less<>> filled_; // the contact properties Outlook has filled
    std::map<std::string, std::size_t, std::less<>> ordinals_;
    std::set<const KeepRow*> addressRows_; // the rows the card's ADRs fall in
    std::string joined_, decoded_;

    // Finds the card's own properties, and the labels and version that tell
    // how to read them, before any is read: Apple writes an X-ABLabel after
    // the property it labels.
    void outline(std::string_view text) {
        ForEachOwnLine(text, [&](const LogicalLine& line) {
            CardProperty property{line, {}, {}, {}, NoOffset};
            std::string_view whole = line.first;
            std::optional<PropertyLine> cut = SplitPropertyLine(whole);
            if (cut) {
                property.valueStart = static_cast<std::size_t>(cut->value.data() - whole.data());
            } else {
                whole = Unfolded(line, joined_);
                cut = SplitPropertyLine(whole);
            }
            if (!cut)
                return;
            property.name = UpperAscii(cut->name);
            property.group = groupOf(whole, cut->name);
            property.parameters = std::string(cut->parameters);
            if (property.name == "VERSION" && Trimmed(cut->value) == "2.1")
                outline_.escapes = Escapes::Version21;
            outline_.properties.push_back(std::move(property));
        });
        for (const CardProperty& property : outline_.properties) {
            if (property.name == "X-ABLABEL" && !property.group.empty()) {
                outline_.groupLabels[property.group] = withoutAppleWrapping(
                    std::string(Trimmed(UnescapedText(decodedValue(property), outline_.escapes))));
            }
        }
    }

    PropertyTypes typesOf(const CardProperty& property) const {
        return ReadPropertyTypes(property.parameters, keeps_);
    }

    // The whole value of `property` in UTF-8, its escapes still in.
    std::string decodedValue(const CardProperty& property) {
        const auto cut = SplitPropertyLine(Unfolded(property.line, joined_));
        std::string text;
        reading_.text(cut->value, ReadValueEncoding(cut->parameters), decoded_, text);
        return text;
    }

    // The value as the card writes it, without unfolding: a photo's base64
    // is read where it lies.
    std::string_view writtenValue(const CardProperty& property) {
        if (property.valueStart != NoOffset)
            return property.line.written.substr(property.valueStart);
        return SplitPropertyLine(Unfolded(property.line, joined_))->value;
    }

    std::string labelOf(const CardProperty& property, const PropertyTypes& types) const {
        if (!property.group.empty()) {
            if (const auto found = outline_.groupLabels.find(property.group);
                found != outline_.groupLabels.end())
                return found->second;
        }
        return LabelOfTypes(types, keeps_);
    }

    // Whether Outlook leaves the value out of the contact, as it fills the
    // contact property by property in the card's order; a value `storable`
    // says no property could hold is always left out. A maybe is carried
    // whatever happens, but takes its slot, so that a later value is not
    // thought kept in a slot it may have filled.
    bool outlookLeavesOut(const KeepRow* row, bool storable) {
        if (row == nullptr || row->verdict == KeepVerdict::Dropped || !storable)
            return true;
        const bool maybe = row->verdict == KeepVerdict::Maybe;
        if (row->outlookSlots.empty())
            return maybe;
        for (const std::string& slot : row->outlookSlots) {
            if (filled_.insert(slot).second)
                return maybe;
        }
        return true; // every slot full: Outlook drops it
    }

    RestValue restValue(const CardProperty& property, const KeepRow* row, std::string label) {
        RestValue value;
        value.property = property.name;
        value.ordinal = ordinals_[property.name];
        value.kind = row ? row->kind : property.name;
        // "Anniversary (Anniversary)" says nothing the kind does not.
        value.label = EqualsIgnoringCase(label, value.kind) ? std::string() : std::move(label);
        if (row) {
            value.slots = row->slots;
            value.sameKind = row->sameKind;
        }
        return value;
    }

    // A LABEL only prints an address: it adds nothing to an ADR of the
    // card that falls in the row its types would.
    bool printsAnAddressOfTheCard(const PropertyTypes& types) const {
        return addressRows_.contains(keeps_.rowFor("ADR", types.names, ""));
    }

    void take(const CardProperty& property) {
        ++ordinals_[property.name];
        PropertyTypes types = typesOf(property);
        std::string label = labelOf(property, types);
        std::optional<std::string> android;
        if (property.name == "X-ANDROID-CUSTOM") {
            AndroidField field = ReadAndroidField(decodedValue(property), outline_.escapes, keeps_);
            types.names.push_back(UpperAscii(field.kind));
            label = std::move(field.label);
            android = std::move(field.value);
        }
        const KeepRow* row = keeps_.rowFor(property.name, types.names, label);
        if (row && row->verdict == KeepVerdict::Bookkeeping)
            return;
        // Kept whatever it holds, so never read: Outlook's own card picture
        // and business card can be large.
        if (row && row->verdict == KeepVerdict::Kept && row->outlookSlots.empty())
            return;
        if (property.name == "LABEL" && printsAnAddressOfTheCard(types))
            return;
        if (row && row->form == ValueForm::Picture)
            takePicture(property, row, types, std::move(label));
        else
            takeText(property, row, std::move(label), android);
    }

    // `android` is the value of an Android field, read and unescaped already.
    void takeText(const CardProperty& property, const KeepRow* row, std::string label,
                  const std::optional<std::string>& android) {
        const ValueForm form = row ? row->form : ValueForm::Text;
        const std::string written = android ? *android : decodedValue(property);
        const Escapes escapes = outline_.escapes;
        std::vector<std::string> parts;
        std::string text;
        std::optional<CardDate> date;
        switch (form) {
        case ValueForm::Address:
            text = AddressLines(written, escapes);
            break;
        case ValueForm::List:
            for (std::string& part : ValueParts(written, ',', escapes)) {
                if (const std::string_view item = Trimmed(part); !item.empty())
                    parts.emplace_back(item);
            }
            for (const std::string& part : parts)
                text += (text.empty() ? "" : ", ") + part;
            break;
        case ValueForm::Date:
            date = ReadCardDate(written);
            [[fallthrough]];
        default:
            text = Trimmed(android ? written : UnescapedText(written, escapes));
            break;
        }
        if (text.empty())
            return; // nothing to keep, and nothing Outlook fills
        if (!outlookLeavesOut(row, form != ValueForm::Date || (date && date->hasYear)))
            return;
        RestValue value = restValue(property, row, std::move(label));
        value.value = std::move(text);
        if (form == ValueForm::Address) {
            value.form = RestForm::Address;
        } else if (form == ValueForm::List) {
            value.form = RestForm::Categories;
            value.parts = std::move(parts);
        } else if (date) {
            value.form = date->hasYear ? RestForm::Date : RestForm::YearlessDate;
            value.value = std::move(date->text);
        }
        if (form == ValueForm::Date && !(date && date->hasYear)) {
            // No date property holds it: only the notes can.
            value.slots.clear();
            value.sameKind.clear();
        }
        rest_.values.push_back(std::move(value));
    }

    void takePicture(const CardProperty& property, const KeepRow* row, const PropertyTypes& types,
                     std::string label) {
        const std::string_view written = writtenValue(property);
        const std::string lead = leadingCharacters(written, 8);
        if (lead.empty())
            return;
        const PictureShape shape = shapeOf(lead, types.names);
        if (!outlookLeavesOut(row, shape == PictureShape::Inline))
            return;
        RestValue value = restValue(property, row, std::move(label));
        value.form = RestForm::Picture;
        value.pictureType = pictureTypeOf(types.names);
        if (shape == PictureShape::Inline) {
            DecodeBase64(written, value.value);
        } else if (const std::size_t comma = written.find(',');
                   shape == PictureShape::Data && comma != std::string_view::npos) {
            // data:image/jpeg;base64,/9j/...
            const std::string header = leadingCharacters(written.substr(0, comma), comma);
            value.pictureType = PictureExtension(header.substr(5, header.find(';') - 5));
            if (header.ends_with(";base64"))
                DecodeBase64(written.substr(comma + 1), value.value);
            else
                value.value = withoutBlanks(written.substr(comma + 1));
        } else {
            value.form = RestForm::PictureLink;
            value.value =
                std::string(Trimmed(UnescapedText(decodedValue(property), outline_.escapes)));
            value.slots.clear();
            value.sameKind.clear();
        }
        rest_.values.push_back(std::move(value));
    }
};

} // namespace

CardRest ReadCardRest(std::string_view card, TextEncoding encoding, const OutlookKeeps& keeps,
                      CodePages& codePages) {
    std::string converted;
    const std::string_view text = CardTextOf(card, encoding, converted);
    const ValueReading reading{codePages, IsUtf16(encoding)};
    return RestReader(keeps, reading).read(text);
}

} // namespace quorvane
