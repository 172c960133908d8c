/* The "iogate" kernel driver: device \Device\iogate, DOS name \DosDevices\iogate.
   It answers the program's five requests and refuses every other access. */
#include <ntifs.h>

#include "driver/device_security.h"
#include "driver/gate.h"

static const WCHAR kDeviceName[] = L"\\Device\\iogate";
static const WCHAR kDosName[] = L"\\DosDevices\\iogate";

static NTSTATUS complete(PIRP irp, NTSTATUS status, ULONG_PTR information)
{
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

static NTSTATUS NTAPI dispatchOpenClose(PDEVICE_OBJECT device, PIRP irp)
{
    (void)device;
    return complete(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS NTAPI dispatchControl(PDEVICE_OBJECT device, PIRP irp)
{
    (void)device;
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    /* METHOD_BUFFERED: one system buffer holds the input and takes the output;
       it is absent when both lengths are 0. */
    UCHAR* buffer = (UCHAR*)irp->AssociatedIrp.SystemBuffer;
    ULONG inputLength = buffer ? stack->Parameters.DeviceIoControl.InputBufferLength : 0;
    ULONG outputLength = buffer ? stack->Parameters.DeviceIoControl.OutputBufferLength : 0;
    uint32_t written = 0;
    NTSTATUS status = zornikControl(stack->Parameters.DeviceIoControl.IoControlCode, buffer, inputLength,
                                    outputLength, &written);
    return complete(irp, status, written);
}

static VOID NTAPI unload(PDRIVER_OBJECT driver)
{
    UNICODE_STRING link;
    RtlInitUnicodeString(&link, kDosName);
    IoDeleteSymbolicLink(&link);
    if (driver->DeviceObject != NULL) IoDeleteDevice(driver->DeviceObject);
    zornikStop();
}

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath)
{
    if (!zornikStart((const uint16_t*)registryPath->Buffer, registryPath->Length / sizeof(WCHAR)))
        return STATUS_UNSUCCESSFUL;

    UNICODE_STRING name;
    UNICODE_STRING link;
    RtlInitUnicodeString(&name, kDeviceName);
    RtlInitUnicodeString(&link, kDosName);
    PDEVICE_OBJECT device = NULL;
    NTSTATUS status = IoCreateDevice(driver, 0, &name, FILE_DEVICE_UNKNOWN, FILE_DEVICE_SECURE_OPEN, FALSE, &device);
    if (NT_SUCCESS(status)) status = restrictToAdministrators(device);
    if (NT_SUCCESS(status)) status = IoCreateSymbolicLink(&link, &name);
    if (!NT_SUCCESS(status)) {
        if (device != NULL) IoDeleteDevice(device);
        zornikStop();
        return status;
    }

    driver->MajorFunction[IRP_MJ_CREATE] = dispatchOpenClose;
    driver->MajorFunction[IRP_MJ_CLOSE] = dispatchOpenClose;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = dispatchControl;
    driver->DriverUnload = unload;
    return STATUS_SUCCESS;
}
