#include "usecases/EditHistory.h"

#include <QUndoCommand>

#include <algorithm>
#include <map>
#include <utility>

namespace orvane::usecases {

namespace img = link::image;

namespace {

// Changed runs this close together are kept as one range: fewer, larger ranges.
constexpr std::size_t kJoinGap = 8;

struct MacroChange {
    std::size_t index = 0;
    macro::MacroRecord before{}, after{};
};

// Writes `bytes` at the table's flat `offset` (record after record).
void writeRecords(link::KeyExtTable& table, std::size_t offset, const std::vector<uint8_t>& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t at = offset + done;
        link::KeyExtRecord& record = table[at / link::kKeyExtRecordSize];
        const std::size_t inRecord = at % link::kKeyExtRecordSize;
        const std::size_t n = std::min(bytes.size() - done, link::kKeyExtRecordSize - inRecord);
        std::copy_n(bytes.begin() + std::ptrdiff_t(done), n, record.begin() + std::ptrdiff_t(inRecord));
        done += n;
    }
}

bool overlaps(const std::vector<ByteRange>& ranges, std::size_t first, std::size_t count)
{
    return std::any_of(ranges.begin(), ranges.end(), [&](const ByteRange& r) {
        return r.offset < first + count && first < r.offset + r.before.size();
    });
}

// Two steps of the same bytes as one: the first one's "before", the second one's "after".
std::vector<ByteRange> mergeRanges(const std::vector<ByteRange>& first, const std::vector<ByteRange>& second)
{
    std::map<std::size_t, std::pair<uint8_t, uint8_t>> bytes;
    for (const ByteRange& r : first)
        for (std::size_t i = 0; i < r.before.size(); ++i)
            bytes[r.offset + i] = {r.before[i], r.after[i]};
    for (const ByteRange& r : second)
        for (std::size_t i = 0; i < r.before.size(); ++i) {
            const auto [it, inserted] = bytes.try_emplace(r.offset + i, r.before[i], r.after[i]);
            if (!inserted)
                it->second.second = r.after[i];
        }
    std::vector<ByteRange> out;
    for (const auto& [offset, pair] : bytes) {
        if (pair.first == pair.second)
            continue;
        if (out.empty() || out.back().offset + out.back().before.size() != offset)
            out.push_back({offset, {}, {}});
        out.back().before.push_back(pair.first);
        out.back().after.push_back(pair.second);
    }
    return out;
}

}   // namespace

std::vector<ByteRange> diffBytes(const uint8_t* before, const uint8_t* after, std::size_t n, std::size_t base)
{
    std::vector<ByteRange> out;
    std::size_t i = 0;
    while (i < n) {
        if (before[i] == after[i]) {
            ++i;
            continue;
        }
        // A run from i to the last difference followed by fewer than kJoinGap equal bytes.
        std::size_t end = i + 1;
        for (std::size_t j = end; j < n && j < end + kJoinGap; ++j)
            if (before[j] != after[j])
                end = j + 1;
        out.push_back(
            {base + i, std::vector<uint8_t>(before + i, before + end), std::vector<uint8_t>(after + i, after + end)});
        i = end;
    }
    return out;
}

// One step on the stack.
class EditHistory::Step : public QUndoCommand {
public:
    Step(EditHistory& history, StepName name, const Options& options, std::vector<ByteRange> image,
         std::vector<ByteRange> records, std::vector<MacroChange> macros)
        : QUndoCommand(QString::fromUtf8(name.english)), history_(history), name_(name), mergeId_(options.mergeId),
          files_(options.files), image_(std::move(image)), records_(std::move(records)), macros_(std::move(macros))
    {}

    int id() const override { return mergeId_; }
    StepName name() const { return name_; }
    void seal() { sealed_ = true; }

    bool mergeWith(const QUndoCommand* other) override
    {
        const auto* next = dynamic_cast<const Step*>(other);
        if (sealed_ || !next || next->mergeId_ != mergeId_ || !macros_.empty() || !next->macros_.empty())
            return false;
        image_ = mergeRanges(image_, next->image_);
        records_ = mergeRanges(records_, next->records_);
        files_ = files_ || next->files_;
        // A drag that ended where it began leaves nothing to undo.
        setObsolete(image_.empty() && records_.empty());
        return true;
    }

    void undo() override { apply(false); }
    void redo() override
    {
        // The push finds the edit done already.
        if (pushed_)
            apply(true);
        pushed_ = true;
    }

private:
    void apply(bool after)
    {
        link::ConfigImage& image = history_.store_.image();
        for (const ByteRange& r : image_) {
            const std::vector<uint8_t>& bytes = after ? r.after : r.before;
            std::copy(bytes.begin(), bytes.end(), image.begin() + std::ptrdiff_t(r.offset));
        }
        for (const ByteRange& r : records_)
            writeRecords(history_.store_.extTable(), r.offset, after ? r.after : r.before);
        if (!macros_.empty()) {
            macro::MacroStore::Records& saved = history_.macros_.saved();
            for (const MacroChange& m : macros_)
                saved[m.index] = after ? m.after : m.before;
            history_.macros_.beginEdit();
        }
        StepApplied what;
        what.image = !image_.empty();
        what.lighting = overlaps(image_, img::kEffect, img::kLightingSize);
        what.effect = overlaps(image_, img::kEffect, 1);
        what.records = !records_.empty();
        what.macros = !macros_.empty();
        what.files = files_;
        history_.applied(what);
    }

    EditHistory& history_;
    StepName name_;
    int mergeId_;
    bool files_;
    bool sealed_ = false;
    bool pushed_ = false;
    std::vector<ByteRange> image_;
    std::vector<ByteRange> records_;
    std::vector<MacroChange> macros_;
};

EditHistory::EditHistory(link::ConfigStore& store, macro::MacroStore& macros) : store_(store), macros_(macros) {}

EditHistory::~EditHistory() = default;

// ---- Recording ----------------------------------------------------------------

EditHistory::Recording::Recording(EditHistory* history, StepName name, Options options) : history_(history)
{
    if (!history_)
        return;
    if (history_->depth_ == 0 && history_->quiet()) {
        history_ = nullptr;
        return;
    }
    outermost_ = history_->depth_ == 0;
    if (outermost_)
        history_->begin(name, options);
    ++history_->depth_;
}

void EditHistory::Recording::finish()
{
    if (!history_)
        return;
    EditHistory* h = std::exchange(history_, nullptr);
    --h->depth_;
    if (outermost_)
        h->end();
}

void EditHistory::Recording::rename(StepName name)
{
    if (history_ && outermost_)
        history_->name_ = name;
}

EditHistory::Quiet::Quiet(EditHistory* history) : history_(history)
{
    if (history_)
        ++history_->quiet_;
}

EditHistory::Quiet::~Quiet()
{
    if (history_)
        --history_->quiet_;
}

void EditHistory::begin(StepName name, Options options)
{
    name_ = name;
    options_ = options;
    if (!image_)
        image_ = std::make_unique<link::ConfigImage>();
    if (!records_)
        records_ = std::make_unique<link::KeyExtTable>();
    *image_ = store_.image();
    *records_ = store_.extTable();
    if (options.macros)
        macroRecords_ = macros_.saved();
}

void EditHistory::end()
{
    const link::ConfigImage& image = store_.image();
    std::vector<ByteRange> imageRanges = diffBytes(image_->data(), image.data(), image.size());
    std::vector<ByteRange> recordRanges;
    const link::KeyExtTable& records = store_.extTable();
    for (std::size_t r = 0; r < records.size(); ++r) {
        std::vector<ByteRange> ranges =
            diffBytes((*records_)[r].data(), records[r].data(), link::kKeyExtRecordSize, r * link::kKeyExtRecordSize);
        std::move(ranges.begin(), ranges.end(), std::back_inserter(recordRanges));
    }
    std::vector<MacroChange> macroChanges;
    if (options_.macros) {
        const macro::MacroStore::Records& saved = macros_.saved();
        for (std::size_t i = 0; i < saved.size() && i < macroRecords_.size(); ++i)
            if (saved[i] != macroRecords_[i])
                macroChanges.push_back({i, macroRecords_[i], saved[i]});
        macroRecords_.clear();
        macroRecords_.shrink_to_fit();
    }
    if (imageRanges.empty() && recordRanges.empty() && macroChanges.empty())
        return;
    stack_.push(
        new Step(*this, name_, options_, std::move(imageRanges), std::move(recordRanges), std::move(macroChanges)));
}

// ---- Undo and redo ------------------------------------------------------------------

bool EditHistory::undo()
{
    if (depth_ > 0 || applying_ || !stack_.canUndo())
        return false;
    applying_ = true;
    stack_.undo();
    applying_ = false;
    seal();
    return true;
}

bool EditHistory::redo()
{
    if (depth_ > 0 || applying_ || !stack_.canRedo())
        return false;
    applying_ = true;
    stack_.redo();
    applying_ = false;
    seal();
    return true;
}

void EditHistory::applied(const StepApplied& what)
{
    if (onApplied_)
        onApplied_(what);
}

void EditHistory::seal()
{
    // Whatever comes next starts a step of its own; so does a drag after an undo.
    if (stack_.index() > 0)
        if (auto* s = dynamic_cast<Step*>(const_cast<QUndoCommand*>(stack_.command(stack_.index() - 1))))
            s->seal();
}

QString EditHistory::undoName(bool chinese) const
{
    if (!stack_.canUndo())
        return {};
    const auto* s = dynamic_cast<const Step*>(stack_.command(stack_.index() - 1));
    return s ? QString::fromUtf8(chinese ? s->name().chinese : s->name().english) : stack_.undoText();
}

QString EditHistory::redoName(bool chinese) const
{
    if (!stack_.canRedo())
        return {};
    const auto* s = dynamic_cast<const Step*>(stack_.command(stack_.index()));
    return s ? QString::fromUtf8(chinese ? s->name().chinese : s->name().english) : stack_.redoText();
}

}   // namespace orvane::usecases
