#pragma once
// One JSON value read and written by path. Texts cross this boundary in the
// local code page (936); inside, the value is held as UTF-8 JSON. Nothing in a
// parsed text is ever executed: parsing is a real JSON parser's.
#include <memory>
#include <string>
#include <vector>

namespace mailvane {

class JsonObject {
 public:
  JsonObject();  // name "da", an empty object
  // Operations in slot order.
  virtual ~JsonObject();
  virtual JsonObject* Clone();                       // shares the value
  virtual void InitHost();
  virtual bool Parse(const std::string& json);
  virtual std::string ToJson();
  virtual void SetText(const std::string& path, const std::string& value, bool raw = false);
  virtual void SetJson(const std::string& path, const std::string& json);
  virtual void SetNumber(const std::string& path, double number);
  virtual double GetNumber(const std::string& path);
  virtual std::string GetJson(const std::string& path);
  virtual std::string GetText(const std::string& path, bool asJson = false);
  virtual JsonObject* GetObject(const std::string& path);   // caller owns
  virtual int GetCount(const std::string& path = {});
  virtual void Append(const std::string& value, const std::string& path = {}, bool raw = false);
  virtual JsonObject* GetItemObject(int index, const std::string& path = {});  // caller owns
  virtual std::string GetItemText(int index, const std::string& path = {}, bool asJson = false);
  virtual void SetItem(int index, const std::string& value, bool raw = false);
  virtual void RemoveItem(int index);
  virtual void Remove(const std::string& path);
  virtual void Create(int kind);
  virtual void SetRoot(const std::string& value, bool raw = false);
  virtual bool Has(const std::string& path);
  virtual int GetKeys(std::vector<std::string>& keys, const std::string& path = {});
  virtual int GetType(const std::string& path = {});
  virtual void Clear();

  const std::string& name() const { return name_; }

 private:
  struct Value;
  std::string name_;
  std::shared_ptr<Value> host_;  // shared by a clone
};

}  // namespace mailvane
