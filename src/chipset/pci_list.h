// The list of every PCI function found on buses 0 and 1, in scan order (ascending bus,
// device, function). Other parts name a device by its 0-based index here; -1 means none.
#pragma once
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

struct TPCIDevice {
    uint32_t Bus;
    uint32_t Device;
    uint32_t Func;
    uint32_t VendorID;  // low 16 bits of doubleword 0
    uint32_t DeviceID;  // high 16 bits of doubleword 0
    uint32_t ClassRev;  // doubleword 8: class, sub-class, programming interface, revision
};

class TPCIList {
public:
    // Probes bus 0 and 1, devices 0-31, all eight functions of each (the multi-function bit
    // is not trusted), reading doublewords 0 and 8 of every slot: 512 probes, 1,024 logged
    // reads. A function whose doubleword 0 reads all ones is absent. The list is filled once;
    // a second call leaves it as it is, so indexes handed out stay valid.
    void ScanPCIBus();

    int Count() const { return static_cast<int>(items_.size()); }
    // `index` must be a valid index.
    const TPCIDevice& operator[](int index) const { return items_[static_cast<size_t>(index)]; }

    // Logged configuration access to the function at an index the searches returned.
    uint32_t ReadDeviceRegister(int index, uint32_t reg) const;
    void WriteDeviceRegister(int index, uint32_t reg, uint32_t value) const;

    // -1 for index -1 (no device) or any other index outside the list, so a device that
    // was not found can be logged without a test.
    int32_t GetVendorID(int index) const;
    int32_t GetDeviceID(int index) const;

    // The first index at or after `start` whose vendor and device match; 0 matches any
    // vendor or any device. -1 when none.
    int FindPCIDevice(uint32_t vendor, uint32_t device, int start) const;
    // Tries the device ids in the order given: for each, the first entry of that vendor and
    // id on function `func` (-1: any function). The first id with an answer decides, even
    // when an entry of a later id stands earlier in the list. -1 when none.
    int FindPCIDeviceOf(uint32_t vendor, std::initializer_list<uint32_t> deviceIds, int func) const;

    // Writes every entry with its vendor, device and class names to the event log.
    void DumpPCIDevices() const;

private:
    std::vector<TPCIDevice> items_;
    bool scanned_ = false;
};
