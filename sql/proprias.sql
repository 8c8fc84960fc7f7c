-- Tables of Contas a Pagar's own in the shared database (dados/brundelo.bd).
-- The program creates each of them the first time it needs one; they are
-- listed here for the pharmacy's administrator. No table of the suite is
-- altered, and no other program of the suite reads or writes these.

-- The access key of the NF-e an account was imported from ("Importar
-- NF-e..."), one row per account, keyed as the account is. Written in the
-- transaction that first writes the account, so a second import of the same
-- NF-e is recognised. The index serves that look-up.
CREATE TABLE CP_NFE_CONTA (
    CODIGOCPR INTEGER NOT NULL,
    ESTACAO   VARCHAR(2) NOT NULL,
    CHAVENFE  VARCHAR(44) NOT NULL,
    CONSTRAINT PK_CP_NFE_CONTA PRIMARY KEY (CODIGOCPR, ESTACAO)
);
CREATE INDEX IX_CP_NFE_CONTA_CHAVE ON CP_NFE_CONTA (CHAVENFE);
