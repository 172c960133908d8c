// The QZ8-II's clock generator at SMBus address 0x69: a register file
// reached by word-data transactions, and a control block at command 0.
#pragma once

#include <cstdint>

namespace sim {

class Board;

// An SMBus slave: the host calls it as bytes complete on the wire.
class ClockChip {
public:
    static constexpr uint8_t kAddress = 0x69;
    static constexpr uint32_t kRegisterCount = 32;
    static constexpr uint8_t kBlockLength = 17;  // bytes the chip reports for its control block

    // Registers from an FSB in half MHz and a divider code; the board hears of
    // every later change of the FSB or divider.
    void reset(Board* board, uint16_t fsbHalfMhz, int32_t ratioCode);
    // A faulty chip: writes to `nak` are answered with a not-acknowledge,
    // writes to `stuck` are acknowledged and lost (-1: none).
    void setWriteFaults(int32_t nak, int32_t stuck)
    {
        nakRegister_ = nak;
        stuckRegister_ = stuck;
    }

    // Another chip revision: register 31 takes its divider field but not
    // bits 1..0, which read 0.
    void setDropsLowBits(bool drops) { dropsLowBits_ = drops; }

    uint8_t reg(uint32_t index) const { return index < kRegisterCount ? regs_[index] : 0xFF; }
    // Sets a register as a write on the bus would.
    void setReg(uint32_t index, uint8_t value);
    // Another chip revision: the byte count its block reads report.
    void setReportedBlockCount(uint8_t count) { reportedCount_ = count; }
    uint32_t blockWrites() const { return blockWrites_; }

    uint8_t smbusAddress() const { return kAddress; }
    void readWord(uint8_t command, uint8_t& first, uint8_t& second);
    // False: the chip did not acknowledge the data of a write to register
    // `index` (a word write's command, or byte `index` of a block write).
    bool acknowledgesWrite(uint32_t index) const { return static_cast<int32_t>(index) != nakRegister_; }
    void writeWord(uint8_t command, uint8_t first, uint8_t second);
    uint8_t blockCount(uint8_t command);
    // Byte `index` of a block read; asked for as long as the host reads.
    uint8_t blockByte(uint8_t command, uint32_t index);
    // A block write, delivered at its stop condition.
    void writeBlock(uint8_t command, const uint8_t* bytes, uint32_t count);

private:
    void follow();
    void busWrite(uint32_t index, uint8_t value);

    Board* board_ = nullptr;
    uint8_t regs_[kRegisterCount] = {};
    uint8_t reportedCount_ = kBlockLength;
    uint32_t blockWrites_ = 0;
    int32_t nakRegister_ = -1;
    int32_t stuckRegister_ = -1;
    bool dropsLowBits_ = false;
};

// Divider field (bits 5..3 of register 31) to RatioCode, and back (-2 = none).
int32_t ratioCodeOfField(uint32_t field);
int32_t fieldOfRatioCode(int32_t ratioCode);

}  // namespace sim
