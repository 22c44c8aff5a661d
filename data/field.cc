// The field base: names, presentation properties, value access, the
// description form and the failures every class shares.
#include "data/field.h"

#include <algorithm>
#include <cctype>

#include "data/dataset.h"
#include "data/db_error.h"

namespace data {

TField::TField(TFieldType type, int size) : data_type_(type), size_(size) {}

TField::~TField() {
  std::vector<TFieldFreeObserver*> observers = std::move(observers_);
  for (TFieldFreeObserver* o : observers) o->FieldDestroyed(this);
}

void BindField(TField& field, TDataSet* dataset, int index, std::string name) {
  field.dataset_ = dataset;
  field.index_ = index;
  field.field_name_ = std::move(name);
}

const std::string& TField::DisplayName() const {
  return display_label_.empty() ? field_name_ : display_label_;
}

void TField::SetDisplayLabel(const std::string& label) {
  if (label == display_label_) return;
  display_label_ = label;
  if (dataset_ && dataset_->Active()) dataset_->DataEvent(TDataEvent::LayoutReshaped, 0);
}

void TField::SetAlignment(TAlignment alignment) {
  if (alignment == alignment_) return;
  alignment_ = alignment;
  if (dataset_ && dataset_->Active()) dataset_->DataEvent(TDataEvent::WindowReloaded, 0);
}

void TField::SetDisplayWidth(int width) {
  if (width == display_width_) return;
  display_width_ = width;
  if (dataset_ && dataset_->Active()) dataset_->DataEvent(TDataEvent::LayoutReshaped, 0);
}

void TField::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  if (dataset_ && dataset_->Active()) dataset_->DataEvent(TDataEvent::LayoutReshaped, 0);
}

const provider::Variant& TField::Value() const {
  static const provider::Variant kNull;
  if (!dataset_) return kNull;
  return dataset_->ReadField(index_);
}

std::string TField::DisplayText() const {
  if (OnGetText) return OnGetText(*this);
  return OwnDisplayText();
}

void TField::FreeNotification(TFieldFreeObserver* observer) {
  if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end()) {
    observers_.push_back(observer);
  }
}

void TField::RemoveFreeNotification(TFieldFreeObserver* observer) {
  observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void TField::StoreValue(provider::Variant value) {
  if (!dataset_) DatabaseError(Format("Field '%s' has no dataset", DisplayName().c_str()));
  dataset_->WriteField(*this, std::move(value));
}

const RegionalSettings& TField::Regional() const {
  return dataset_ ? dataset_->Regional() : DefaultRegionalSettings();
}

void TField::AccessError(const char* type_name) const {
  throw EDatabaseError(
      Format("Cannot access field '%s' as type %s", DisplayName().c_str(), type_name));
}

std::string TField::Description(const std::string& name) const {
  std::string text = "(" + name + ")";
  if (!IsNull()) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return text;
}

}  // namespace data
