// Fields: one result column of a record source each, with its text forms.
//
// A field reads and writes the record source's current record (the record
// at the window's current index, or the edit buffer while editing). The
// record source creates its fields from the column descriptions when it
// opens (CreateFields in field_factory.h) and destroys them when it closes;
// anyone holding a TField* may ask to be told of that (FreeNotification).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "data/field_types.h"
#include "data/provider/variant.h"
#include "data/regional.h"

namespace data {

class TDataSet;
class TField;

// Told when a field is destroyed.
class TFieldFreeObserver {
 public:
  virtual void FieldDestroyed(TField* field) = 0;

 protected:
  ~TFieldFreeObserver() = default;
};

class TField {
 public:
  TField(const TField&) = delete;
  TField& operator=(const TField&) = delete;
  virtual ~TField();

  // "TIntegerField" and the like.
  virtual const char* ClassName() const = 0;
  TFieldType DataType() const { return data_type_; }
  const std::string& FieldName() const { return field_name_; }
  // The label when set, else the field name.
  const std::string& DisplayName() const;
  const std::string& DisplayLabel() const { return display_label_; }
  // Changing the label reshapes the layout of bound controls.
  void SetDisplayLabel(const std::string& label);
  int Size() const { return size_; }
  // Position in the record source's field list.
  int Index() const { return index_; }
  TDataSet* DataSet() const { return dataset_; }

  TAlignment Alignment() const { return alignment_; }
  // Changing it has bound controls repaint their records.
  void SetAlignment(TAlignment alignment);
  int DisplayWidth() const { return display_width_; }
  void SetDisplayWidth(int width);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool read_only) { read_only_ = read_only; }
  bool IsBlob() const { return data_type_ == ftBlob || data_type_ == ftMemo; }

  // The current record's value; null when the record source is closed or
  // empty. The reference holds until the record source moves or changes.
  const provider::Variant& Value() const;
  bool IsNull() const { return provider::IsNull(Value()); }

  // The value as text; "" for null (see each class for its form).
  virtual std::string TextValue() const = 0;
  // Sets the value from text. Fails (EDatabaseError/EConvertError) on text
  // the class cannot take, when the record source is not editing, or when
  // the field is read-only; the value is then unchanged.
  virtual void SetTextValue(const std::string& text) = 0;
  // The text a grid shows: the text handler's when one is set, else the
  // class's own display form.
  std::string DisplayText() const;
  // A text handler replacing DisplayText (none in this program).
  std::function<std::string(const TField&)> OnGetText;

  void FreeNotification(TFieldFreeObserver* observer);
  void RemoveFreeNotification(TFieldFreeObserver* observer);

 protected:
  TField(TFieldType type, int size);
  virtual std::string OwnDisplayText() const { return TextValue(); }
  // Stores `value` through the record source (state and read-only checks).
  void StoreValue(provider::Variant value);
  const RegionalSettings& Regional() const;
  // "Cannot access field '%s' as type %s".
  [[noreturn]] void AccessError(const char* type_name) const;
  // "(Name)", upper-cased when the field is not null.
  std::string Description(const std::string& name) const;

 private:
  friend class TDataSet;
  friend void BindField(TField& field, TDataSet* dataset, int index, std::string name);
  TFieldType data_type_;
  std::string field_name_;
  std::string display_label_;
  int size_;
  int index_ = -1;
  TDataSet* dataset_ = nullptr;
  TAlignment alignment_ = taLeftJustify;
  int display_width_ = 10;
  bool visible_ = true;
  bool read_only_ = false;
  std::vector<TFieldFreeObserver*> observers_;

 protected:
  void set_display_width_default(int width) { display_width_ = width; }
  void set_alignment_default(TAlignment alignment) { alignment_ = alignment; }
};

// --- Text ------------------------------------------------------------------

// Byte text; fixed-length columns and GUIDs are string fields too.
class TStringField : public TField {
 public:
  explicit TStringField(int size, bool fixed = false);
  const char* ClassName() const override { return "TStringField"; }
  bool FixedChar() const { return DataType() == ftFixedChar; }
  std::string TextValue() const override;
  // Text up to its first zero byte; longer than Size bytes fails naming the
  // field, the length and the size. The empty text stores null.
  void SetTextValue(const std::string& text) override;

 protected:
  TStringField(TFieldType type, int size);
};

class TGuidField : public TStringField {
 public:
  TGuidField();
  const char* ClassName() const override { return "TGuidField"; }
  std::string TextValue() const override;
};

// Wide text; Size counts characters (UTF-16 units).
class TWideStringField : public TField {
 public:
  explicit TWideStringField(int size);
  const char* ClassName() const override { return "TWideStringField"; }
  std::string TextValue() const override;
  // Longer than Size characters fails naming the field, the length and the
  // size. The empty text stores an empty value, not null.
  void SetTextValue(const std::string& text) override;
};

// --- Numbers ----------------------------------------------------------------

// Signed integers within [min, max]: smallint, integer, word, auto-increment.
class TIntegerField : public TField {
 public:
  TIntegerField();
  const char* ClassName() const override { return "TIntegerField"; }
  std::string TextValue() const override;
  // "" stores null; otherwise the integer rule and the class's range.
  void SetTextValue(const std::string& text) override;
  int64_t MinValue() const { return min_; }
  int64_t MaxValue() const { return max_; }

 protected:
  TIntegerField(TFieldType type, int64_t min, int64_t max);

 private:
  int64_t min_;
  int64_t max_;
};

class TSmallintField : public TIntegerField {
 public:
  TSmallintField();
  const char* ClassName() const override { return "TSmallintField"; }
};

class TWordField : public TIntegerField {
 public:
  TWordField();
  const char* ClassName() const override { return "TWordField"; }
};

class TAutoIncField : public TIntegerField {
 public:
  TAutoIncField();
  const char* ClassName() const override { return "TAutoIncField"; }
};

class TLargeintField : public TField {
 public:
  TLargeintField();
  const char* ClassName() const override { return "TLargeintField"; }
  std::string TextValue() const override;
  void SetTextValue(const std::string& text) override;
};

class TFloatField : public TField {
 public:
  TFloatField();
  const char* ClassName() const override { return "TFloatField"; }
  int Precision() const { return 15; }
  // General format with 15 significant digits.
  std::string TextValue() const override;
  void SetTextValue(const std::string& text) override;
};

// Fixed point with four decimals in 64 bits; Size is the column's scale.
class TBCDField : public TField {
 public:
  TBCDField(int size, int precision);
  const char* ClassName() const override { return "TBCDField"; }
  int Precision() const { return precision_; }
  std::string TextValue() const override;
  void SetTextValue(const std::string& text) override;

 protected:
  std::string OwnDisplayText() const override;

 private:
  int precision_;
};

class TBooleanField : public TField {
 public:
  TBooleanField();
  const char* ClassName() const override { return "TBooleanField"; }
  std::string TextValue() const override;
  void SetTextValue(const std::string& text) override;
};

// --- Dates and times --------------------------------------------------------

class TDateTimeField : public TField {
 public:
  TDateTimeField();
  const char* ClassName() const override { return "TDateTimeField"; }
  std::string TextValue() const override;
  void SetTextValue(const std::string& text) override;

 protected:
  explicit TDateTimeField(TFieldType type);
};

class TDateField : public TDateTimeField {
 public:
  TDateField();
  const char* ClassName() const override { return "TDateField"; }
};

class TTimeField : public TDateTimeField {
 public:
  TTimeField();
  const char* ClassName() const override { return "TTimeField"; }
};

// --- Long values and bytes --------------------------------------------------

class TBlobField : public TField {
 public:
  TBlobField();
  const char* ClassName() const override { return "TBlobField"; }
  std::string TextValue() const override;
  // The text's bytes become the whole content; "" stores null.
  void SetTextValue(const std::string& text) override;

 protected:
  explicit TBlobField(TFieldType type);
  std::string OwnDisplayText() const override;
};

class TMemoField : public TBlobField {
 public:
  TMemoField();
  const char* ClassName() const override { return "TMemoField"; }
};

class TBytesField : public TField {
 public:
  explicit TBytesField(int size);
  const char* ClassName() const override { return "TBytesField"; }
  std::string TextValue() const override;
  // "" stores null; more bytes than Size fails naming field, length, size.
  void SetTextValue(const std::string& text) override;

 protected:
  TBytesField(TFieldType type, int size);
  std::string OwnDisplayText() const override;
};

class TVarBytesField : public TBytesField {
 public:
  explicit TVarBytesField(int size);
  const char* ClassName() const override { return "TVarBytesField"; }
};

// --- Others -----------------------------------------------------------------

class TVariantField : public TField {
 public:
  TVariantField();
  const char* ClassName() const override { return "TVariantField"; }
  std::string TextValue() const override;
  void SetTextValue(const std::string& text) override;
};

// Interface-like values: shown by their description, never written.
class TInterfaceField : public TField {
 public:
  TInterfaceField();
  const char* ClassName() const override { return "TInterfaceField"; }
  std::string TextValue() const override;
  void SetTextValue(const std::string& text) override;

 protected:
  explicit TInterfaceField(TFieldType type);
};

class TIDispatchField : public TInterfaceField {
 public:
  TIDispatchField();
  const char* ClassName() const override { return "TIDispatchField"; }
};

class TDataSetField : public TInterfaceField {
 public:
  TDataSetField();
  const char* ClassName() const override { return "TDataSetField"; }
};

}  // namespace data
